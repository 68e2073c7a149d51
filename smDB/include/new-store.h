// Starting a catalogue: a new store file that holds only the store header
// line.
#ifndef FLORRIN_SMDB_NEW_STORE_H_
#define FLORRIN_SMDB_NEW_STORE_H_

#include "lmr.h"

// Creates the store file `sFile` holding the store header line
// "1.0.0-TALVERO_sTxtDB" and the system's line end, and returns once it is
// on the disk. Only where no file of that name exists: the name is taken in
// one atomic step, so of two runs at once exactly one creates the file.
// False when the name exists (nothing is touched), or when the file cannot
// be created, written or flushed; a file this call made is then removed.
bool CreateStoreFile(const sString& sFile);

#endif  // FLORRIN_SMDB_NEW_STORE_H_
