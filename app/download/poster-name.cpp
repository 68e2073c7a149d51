#include "poster-name.h"

#include <cstring>
#include <string_view>

namespace {

char16_t Lower(char16_t c) {
  return c >= u'A' && c <= u'Z' ? static_cast<char16_t>(c - u'A' + u'a') : c;
}

// The digits that may follow COM and LPT in a device name: 0 to 9 and the
// three superscript digits of Latin-1.
bool IsDeviceDigit(char16_t c) {
  return (c >= u'0' && c <= u'9') || c == u'\u00b9' || c == u'\u00b2' ||
         c == u'\u00b3';
}

// Windows takes a name for a device when the part before its first "." (and
// before spaces at its end) is a device name, whatever follows.
bool IsDeviceName(const sString& sName) {
  const std::u16string sWide = NameAsSystemSees(sName);
  std::u16string sBase = sWide.substr(0, sWide.find(u'.'));
  while (!sBase.empty() && sBase.back() == u' ') sBase.pop_back();
  for (char16_t& c : sBase) c = Lower(c);
  for (const char16_t* sDevice : {u"con", u"prn", u"aux", u"nul"})
    if (sBase == sDevice) return true;
  if (sBase.size() == 4 && IsDeviceDigit(sBase[3])) {
    const std::u16string_view sStem(sBase.data(), 3);
    return sStem == u"com" || sStem == u"lpt";
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
