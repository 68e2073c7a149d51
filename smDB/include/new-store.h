// Starting a catalogue: a new store file that holds only the store header
// line.
#ifndef FLORRIN_SMDB_NEW_STORE_H_
#define FLORRIN_SMDB_NEW_STORE_H_

#include "lmr.h"

// Creates the store file `sFile` holding the store header line
// "1.0.0-TALVERO_sTxtDB" and the system's line end, and returns once it is
// on the disk. Only where nothing of that name exists: the header goes to a
// private file beside `sFile`, which takes the name in one atomic step once
// it is whole, so no run ever finds the name holding an empty store, and of
// two runs at once exactly one creates the file. Where the file system has
// no hard links (FAT, exFAT, some network shares) the file is created in
// place, empty at first, so the caller holds the lock that every writer of
// `sFile` takes until this returns. False when the name exists (nothing is
// touched), or when the file cannot be created, written or flushed; nothing
// this call made is then left.
bool CreateStoreFile(const sString& sFile);

#endif  // FLORRIN_SMDB_NEW_STORE_H_
