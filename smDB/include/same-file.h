// Whether two names reach one and the same file. Names do not tell: a
// symbolic link, a hard link, another spelling of a path or, on Windows,
// another letter case all reach the file they name. What a command must
// never remove or replace (the catalogue's own file) is judged this way.
#ifndef FLORRIN_SMDB_SAME_FILE_H_
#define FLORRIN_SMDB_SAME_FILE_H_

#include "lmr.h"

// True when `sA` and `sB` both exist and reach the same file once symbolic
// links are followed: the same device and inode number (POSIX), or the same
// volume serial number and file index (Windows). False when either does not
// exist or cannot be examined. The platform parts live in
// file-identity_<platform>.cpp.
bool SameFile(const sString& sA, const sString& sB);

#endif  // FLORRIN_SMDB_SAME_FILE_H_
