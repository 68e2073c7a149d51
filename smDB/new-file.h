// Writing a file that must not exist yet, all or nothing and durably.
//
// The bytes go to a private file in the same folder first, which is synced
// and then given the name in one step that fails where the name is taken
// (link() on POSIX, a move without replace on Windows). So the name never
// shows a file that is empty or half-written, and of two programs creating
// one name at once exactly one succeeds. A file already there is never
// opened. The platform parts live in new-file_<platform>.cpp.
#ifndef FLORRIN_SMDB_NEW_FILE_H_
#define FLORRIN_SMDB_NEW_FILE_H_

#include <string_view>

#include "lmr.h"

// Creates `sFile` holding `sBytes` as they are, and returns once the file
// and its name are on the disk. False when anything of that name exists (a
// file, a folder, a link, even one that leads nowhere), untouched; or when
// creating, writing or flushing fails. Nothing of this call is left behind
// on false. Where the file system has no hard links (FAT, exFAT, some
// network shares) it falls back to WriteNewFileInPlace, so the caller holds
// the lock that every writer of `sFile` takes, as for that call.
bool WriteNewFile(const sString& sFile, std::string_view sBytes);

// Creates `sFile` with the system's exclusive create (O_EXCL, CREATE_NEW)
// and writes `sBytes` into it there: for file systems without hard links.
// The name shows an empty file until the bytes are written, so the caller
// must hold the lock that every writer of `sFile` takes, and keep it until
// this returns. Otherwise as WriteNewFile; a file made is removed on false.
bool WriteNewFileInPlace(const sString& sFile, std::string_view sBytes);

// For tests: `hook` runs each time WriteNewFile has the bytes in its private
// file and on the disk, just before that file is given the name. A non-zero
// answer is taken (on POSIX) as the error the link failed with: EPERM is what
// a file system without hard links answers. Null ends that.
void SetNewFileLinkHookForTest(int (*hook)(const sString& sPrivate));

#endif  // FLORRIN_SMDB_NEW_FILE_H_
