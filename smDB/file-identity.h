// What a rewritten file keeps of the file it replaces.
//
// A rewrite (see file-replace.h) writes a scratch file beside the file it
// replaces and moves it over that file. The scratch file is created with the
// old file's permissions (and owner and group, where the process may set
// them), so the new file is the old one with new content. A symbolic link
// stays a link: the file it points to is the one replaced, and the scratch
// file is made beside that file, so the move stays on one file system. A
// hard link is split: the name rewritten gets a new file, the other names
// keep the old one. The platform parts live in file-identity_<platform>.cpp.
#ifndef FLORRIN_SMDB_FILE_IDENTITY_H_
#define FLORRIN_SMDB_FILE_IDENTITY_H_

#include <cstdio>

#include "lmr.h"
#include "same-file.h"  // SameFile, which the store's users need too

// The file that a rewrite of `sFile` replaces: `sFile` itself, or, when it is
// a symbolic link, the file that the link finally points to. False when a
// link's target cannot be worked out (a dangling link, a loop).
bool RewriteTarget(const sString& sFile, sString* pTarget);

// The path of the file named `sName` in the folder that holds `sFile`.
sString Beside(const sString& sFile, const sString& sName);

// False when the file `sFile` exists and the caller may not write it, or it
// is read-only for everyone (no write permission at all, or the read-only
// attribute): such a file is refused even to a caller whom the system would
// let write anything. True for a file that does not exist yet.
bool MayChange(const sString& sFile);

// Creates the scratch file `sPath` empty for writing, in text mode, first
// removing any file of that name (a link of that name is removed, never
// followed). It gets the permissions of `sOriginal`, and its owner and group
// where the process may set them; when `sOriginal` does not exist, what a
// newly created file gets. Null when any of that fails (nothing is left).
FILE* CreateScratchFor(const sString& sPath, const sString& sOriginal);

#endif  // FLORRIN_SMDB_FILE_IDENTITY_H_
