// Writing a file that must not exist yet, all or nothing and durably.
//
// The name is taken with the system's exclusive create (O_EXCL, CREATE_NEW),
// so two programs creating one name at once cannot both succeed, and a file
// already there is never opened. The platform parts live in
// new-file_<platform>.cpp.
#ifndef FLORRIN_SMDB_NEW_FILE_H_
#define FLORRIN_SMDB_NEW_FILE_H_

#include <string_view>

#include "lmr.h"

// Creates `sFile` holding `sBytes` as they are, and returns once the file
// and its name are on the disk. False when anything of that name exists (a
// file, a folder, a link, even one that leads nowhere), untouched; or when
// creating, writing or flushing fails, and the file made is removed again.
bool WriteNewFile(const sString& sFile, std::string_view sBytes);

#endif  // FLORRIN_SMDB_NEW_FILE_H_
