// Putting a rewritten file in place without ever losing the old one.
//
// A rewrite goes to a scratch file that is written completely, flushed to the
// disk, and then moved over the old name in one atomic step: at every moment
// the old name holds either the whole old content or the whole new content.
// Where the scratch file is made and what it takes over from the old file is
// file-identity.h. The platform-specific parts live in
// file-replace_<platform>.cpp.
#ifndef FLORRIN_SMDB_FILE_REPLACE_H_
#define FLORRIN_SMDB_FILE_REPLACE_H_

#include <cstdio>

#include "lmr.h"

// Flushes the stream's buffers and asks the system to write the file's data
// to the disk. False when either step fails. The stream stays open.
bool FlushToDisk(FILE* f);

// Moves `sFrom` onto `sTo` in one atomic step, replacing any file `sTo`. True
// on success; on failure `sTo` is unchanged and `sFrom` is left as it was.
// Where the system refuses to replace a file that another process is reading,
// waits up to about two seconds for that reader to finish.
bool MoveIntoPlace(const sString& sFrom, const sString& sTo);

#endif  // FLORRIN_SMDB_FILE_REPLACE_H_
