#include "poster-name.h"

#include <cstring>

namespace {

char Lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Windows takes a name for a device when the part before its first "." (and
// before spaces at its end) is a device name, whatever follows.
bool IsDeviceName(const sString& sName) {
  sString sBase = Left(sName, FindInStr(sName, ".", 0));
  while (!sBase.empty() && sBase.back() == ' ') sBase.pop_back();
  for (char& c : sBase) c = Lower(c);
  for (const char* sDevice : {"con", "prn", "aux", "nul"})
    if (sBase == sDevice) return true;
  if (sBase.size() == 4 && sBase[3] >= '1' && sBase[3] <= '9') {
    const sString sStem = Left(sBase, 3);
    return sStem == "com" || sStem == "lpt";
  }
  return false;
}

}  // namespace

sString PosterFileName(const sString& sRec) {
  if (sRec == "." || sRec == ".." || IsDeviceName(sRec)) return "";
  sString sFile = sRec;
  for (char& c : sFile) {
    if (static_cast<unsigned char>(c) < 32 ||
        std::strchr("\\/:*?\"<>|", c) != nullptr)
      c = '_';
  }
  return sFile + ".jpg";
}
