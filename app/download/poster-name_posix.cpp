// File names are bytes here; the user's names are taken as UTF-8.
#include "poster-name.h"

namespace {

constexpr char16_t kReplacement = u'\ufffd';

bool IsContinuation(unsigned char c) { return (c & 0xC0) == 0x80; }

}  // namespace

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
