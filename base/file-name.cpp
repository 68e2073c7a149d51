#include "file-name.h"

#include <system_error>

#ifdef _WIN32
#include "wide-name_win32.h"
#endif

bool NamePath(std::string_view sName, std::filesystem::path* pPath) {
#ifdef _WIN32
  std::wstring wide;
  if (!Widen(sName, &wide)) return false;
  *pPath = std::filesystem::path(wide);
#else
  *pPath = std::filesystem::path(sName);
#endif
  return true;
}

bool NameExists(const sString& sName) {
  std::filesystem::path path;
  std::error_code ec;
  return NamePath(sName, &path) && std::filesystem::exists(path, ec);
}
