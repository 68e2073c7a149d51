// Opening a catalogue file for reading, where the system may refuse it for a
// moment.
//
// On Windows a file that is being replaced (file-replace.h) cannot be opened
// until the replace is done, and a reader that takes no lock may come at just
// that moment. The platform parts live in read-open_<platform>.cpp.
#ifndef FLORRIN_SMDB_READ_OPEN_H_
#define FLORRIN_SMDB_READ_OPEN_H_

#include <cstdio>

#include "lmr.h"

// Opens `sFile` for reading as bytes ("rb"), or returns null. Where the
// system refuses access while another program replaces or holds the file,
// tries again for up to about a second before giving up. On null,
// `*pMissing` (when given) tells a file that does not exist (true) from one
// that exists but could not be opened: held by another program, not
// permitted, or failing (false).
FILE* OpenForReading(const sString& sFile, bool* pMissing = nullptr);

#endif  // FLORRIN_SMDB_READ_OPEN_H_
