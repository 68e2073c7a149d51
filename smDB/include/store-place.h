// Where the files that go with a store file live.
#ifndef FLORRIN_SMDB_STORE_PLACE_H_
#define FLORRIN_SMDB_STORE_PLACE_H_

#include "lmr.h"

// The path of a file named `sName` in the folder of the file that `sFile`
// finally resolves to: `sFile` itself, or, when it is a symbolic link, the
// file that the link (through any further links) points to. The store makes
// the scratch files of its rewrites there, so a lock file named this way is
// one that every run reaching that file names alike, from whichever folder
// and through whichever link. False when a link leads nowhere (dangling, a
// loop). `sFile` need not exist.
bool BesideStoreFile(const sString& sFile, const sString& sName,
                     sString* pPath);

#endif  // FLORRIN_SMDB_STORE_PLACE_H_
