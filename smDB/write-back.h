// Early write-back: handing written data to the disk while the rest of a
// file is still being written, so that the flush at the end (FlushToDisk)
// finds little left to wait for.
//
// A speed-up only, never a replacement for that flush: where the system
// offers no such call it does nothing.
#ifndef FLORRIN_SMDB_WRITE_BACK_H_
#define FLORRIN_SMDB_WRITE_BACK_H_

#include <cstdint>
#include <cstdio>

// Asks the system to start writing bytes [from, to) of the file behind the
// writing stream `f` to the disk, without waiting for it; offsets count the
// bytes written to the stream. Flushes the stream's buffer first. Returns
// the offset, at most `to`, that the next call should start from: where the
// write-back started now ends, or `to` where there is none to start.
// Failures are ignored.
int64_t StartWriteBack(FILE* f, int64_t from, int64_t to);

#endif  // FLORRIN_SMDB_WRITE_BACK_H_
