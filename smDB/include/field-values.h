// Reading one field of every record at once, for callers that must know
// what the whole catalogue holds in that field (the poster names an import
// must not take over, for one).
#ifndef FLORRIN_SMDB_FIELD_VALUES_H_
#define FLORRIN_SMDB_FIELD_VALUES_H_

#include <string_view>
#include <vector>

#include "lmr.h"

// Stores in `*pValues`, in file order, the value of every field line whose
// key is `sKey` (which holds no "=") in the body of a record of the store file `sFile` (see
// sTxtDB.h): every such line, also a repeated one. Lines before the first
// record's header line belong to no record and are passed over. False when
// the file cannot be opened or read to its end.
bool ReadFieldValues(const sString& sFile, std::string_view sKey,
                     std::vector<sString>* pValues);

#endif  // FLORRIN_SMDB_FIELD_VALUES_H_
