// Appending to a file all or nothing.
//
// A record is appended in one piece or not at all: when the disk fills up (or
// any other write fails) part-way, the file is cut back to its old length, so
// no half record is left behind to block its name. The platform parts live in
// file-append_<platform>.cpp.
#ifndef FLORRIN_SMDB_FILE_APPEND_H_
#define FLORRIN_SMDB_FILE_APPEND_H_

#include <cstdint>
#include <string_view>

#include "lmr.h"

// Appends `sBytes` to the end of the existing file `sFile` (in text mode,
// like every write of the store). True when all of it was written. On false
// the file holds exactly what it held before: a partial write is cut off
// again and that cut flushed to the disk.
bool AppendWhole(const sString& sFile, std::string_view sBytes);

// For tests: from now on each append writes at most `iBytes` bytes and then
// fails as on a full disk. A negative value ends that.
void FailAppendsAfterForTest(int64_t iBytes);

#endif  // FLORRIN_SMDB_FILE_APPEND_H_
