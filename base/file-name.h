// Florrin's narrow file names (bytes: the ANSI code page on Windows, as the
// C library's narrow functions take them) as std::filesystem paths.
//
// A path made from a narrow string goes through the C locale in MinGW's
// std::filesystem, not through the ANSI code page that names the file, so a
// name with a non-ASCII character would name another file there: paths are
// made from the wide name on Windows.
#ifndef FLORRIN_BASE_FILE_NAME_H_
#define FLORRIN_BASE_FILE_NAME_H_

#include <filesystem>

#include "lmr.h"

// The path of the file that the narrow name `sName` names. False when the
// name has no wide form (Windows: not text in the ANSI code page).
bool NamePath(std::string_view sName, std::filesystem::path* pPath);

// True when something exists under the narrow name `sName`.
bool NameExists(const sString& sName);

#endif  // FLORRIN_BASE_FILE_NAME_H_
