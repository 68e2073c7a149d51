// Opening a catalogue file for reading, where the system may refuse it for a
// moment, and where something else may stand in its place.
//
// Only a regular file is read, links followed: a pipe would make the open
// (or the reads) wait for a writer that may never come, and a device or a
// folder holds no catalogue. The open itself never waits for one.
//
// On Windows a file that is being replaced (file-replace.h) cannot be opened
// until the replace is done, and a reader that takes no lock may come at
// just that moment. The platform parts live in read-open_<platform>.cpp.
#ifndef FLORRIN_SMDB_READ_OPEN_H_
#define FLORRIN_SMDB_READ_OPEN_H_

#include <cstdio>

#include "lmr.h"

// Opens the regular file `sFile` for reading as bytes ("rb"), or returns
// null; anything else of that name is refused without waiting. Where the
// system refuses access while another program replaces or holds the file,
// tries again for up to about a second before giving up. On null,
// `*pMissing` (when given) tells a file that does not exist (true) from one
// that exists but could not be opened: no regular file, held by another
// program, not permitted, or failing (false).
FILE* OpenForReading(const sString& sFile, bool* pMissing = nullptr);

#endif  // FLORRIN_SMDB_READ_OPEN_H_
