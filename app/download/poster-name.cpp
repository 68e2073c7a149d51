#include "poster-name.h"

#include <cstring>
#include <string_view>

#ifdef _WIN32
#include "wide-name_win32.h"
#endif

namespace {

#ifndef _WIN32
constexpr char16_t kReplacement = u'\ufffd';

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }
#endif

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

#ifdef _WIN32
// The narrow file functions convert a name from the ANSI code page.
std::u16string NameAsSystemSees(const sString& sRec) {
  std::wstring wName;
  if (!Widen(sRec, &wName)) return {};
  return std::u16string(wName.begin(), wName.end());
}
#else
// File names are bytes here; the user's names are taken as UTF-8.
std::u16string NameAsSystemSees(const sString& sRec) {
  std::u16string sWide;
  const size_t n = sRec.size();
  for (size_t i = 0; i < n;) {
    const unsigned char c = static_cast<unsigned char>(sRec[i]);
    // The sequence's length and the bits of its lead byte; overlong forms
    // and surrogates count as malformed, as in any strict decoder.
    size_t len = 0;
    char32_t cp = 0;
    char32_t min = 0;
    if (c < 0x80) {
      len = 1, cp = c;
    } else if (c >= 0xC2 && c <= 0xDF) {
      len = 2, cp = c & 0x1F, min = 0x80;
    } else if (c >= 0xE0 && c <= 0xEF) {
      len = 3, cp = c & 0x0F, min = 0x800;
    } else if (c >= 0xF0 && c <= 0xF4) {
      len = 4, cp = c & 0x07, min = 0x10000;
    }
    size_t j = 1;
    while (j < len && i + j < n &&
           IsContinuation(static_cast<unsigned char>(sRec[i + j]))) {
      cp = (cp << 6) | (static_cast<unsigned char>(sRec[i + j]) & 0x3F);
      ++j;
    }
    if (len == 0 || j < len || cp < min || cp > 0x10FFFF ||
        (cp >= 0xD800 && cp <= 0xDFFF)) {
      sWide.push_back(kReplacement);
      ++i;
      continue;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      sWide.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      sWide.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      sWide.push_back(static_cast<char16_t>(cp));
    }
    i += len;
  }
  return sWide;
}
#endif

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
