// Reading a small file whole: a settings file, a downloaded answer or log.
// Each caller takes the bytes as they are and does its own further steps
// (line-end translation, an added line end) on them.
#ifndef FLORRIN_BASE_WHOLE_FILE_H_
#define FLORRIN_BASE_WHOLE_FILE_H_

#include <cstdint>

#include "lmr.h"

// What came of ReadWholeFile.
enum class WholeFile {
  kRead,        // every byte is in the text
  kCannotOpen,  // no such file, or it may not be read: the text is empty
  kTooLarge,    // more than the cap: the text is as TooLarge says
  kFailed,      // a read failed part-way: the text holds what came before
};

// What a file larger than the cap leaves in the text.
enum class TooLarge {
  kNothing,    // the text is empty
  kFirstPart,  // the text holds what was read until the cap was passed (the
               // cap and at most one read block of 64 KiB more)
};

// Reads the file `sPath` (its narrow name as the C library takes it) as
// bytes into `*pText`, replacing what it held, but stops as soon as more than
// `iMaxBytes` bytes have come and leaves what `tooLarge` says. An empty
// `sPath` is a file that cannot be opened.
WholeFile ReadWholeFile(const sString& sPath, int64_t iMaxBytes,
                        TooLarge tooLarge, sString* pText);

#endif  // FLORRIN_BASE_WHOLE_FILE_H_
