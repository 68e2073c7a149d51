#include "catalogue-utf8.h"

#include <cstdint>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// Windows-1252's bytes 0x80 to 0x9F; 0 where the code page assigns none.
constexpr uint16_t kCp1252High[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0};

void AppendCodePoint(uint32_t c, std::string* pOut) {
  if (c < 0x80) {
    pOut->push_back(static_cast<char>(c));
  } else if (c < 0x800) {
    pOut->push_back(static_cast<char>(0xC0 | (c >> 6)));
    pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    pOut->push_back(static_cast<char>(0xE0 | (c >> 12)));
    pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  } else {
    pOut->push_back(static_cast<char>(0xF0 | (c >> 18)));
    pOut->push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
    pOut->push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
    pOut->push_back(static_cast<char>(0x80 | (c & 0x3F)));
  }
}

// The length of the valid UTF-8 sequence that starts at `i`, or 0. Overlong
// forms, surrogates and code points past U+10FFFF are not valid.
size_t ValidSequence(std::string_view s, size_t i) {
  const auto b = [&](size_t k) { return static_cast<unsigned char>(s[k]); };
  const unsigned char c = b(i);
  size_t n;
  unsigned char lo = 0x80, hi = 0xBF;  // bounds of the second byte
  if (c >= 0xC2 && c <= 0xDF) {
    n = 2;
  } else if (c >= 0xE0 && c <= 0xEF) {
    n = 3;
    if (c == 0xE0) lo = 0xA0;
    if (c == 0xED) hi = 0x9F;
  } else if (c >= 0xF0 && c <= 0xF4) {
    n = 4;
    if (c == 0xF0) lo = 0x90;
    if (c == 0xF4) hi = 0x8F;
  } else {
    return 0;
  }
  if (s.size() - i < n) return 0;
  if (b(i + 1) < lo || b(i + 1) > hi) return 0;
  for (size_t k = 2; k < n; ++k) {
    if (b(i + k) < 0x80 || b(i + k) > 0xBF) return 0;
  }
  return n;
}

}  // namespace

std::string Utf8OrWindows1252(std::string_view sText) {
  std::string sOut;
  sOut.reserve(sText.size());
  size_t i = 0;
  while (i < sText.size()) {
    const unsigned char c = static_cast<unsigned char>(sText[i]);
    if (c < 0x80) {
      sOut.push_back(static_cast<char>(c));
      ++i;
      continue;
    }
    const size_t n = ValidSequence(sText, i);
    if (n > 0) {
      sOut.append(sText.substr(i, n));
      i += n;
      continue;
    }
    uint32_t cp = c;
    if (c < 0xA0) cp = kCp1252High[c - 0x80] ? kCp1252High[c - 0x80] : 0xFFFD;
    AppendCodePoint(cp, &sOut);
    ++i;
  }
  return sOut;
}

#ifdef _WIN32

std::string CatalogueToUtf8(std::string_view sText) {
  if (GetACP() == CP_UTF8 || sText.empty()) return Utf8OrWindows1252(sText);
  const int size = static_cast<int>(sText.size());
  const int n = MultiByteToWideChar(CP_ACP, 0, sText.data(), size, nullptr, 0);
  if (n <= 0) return Utf8OrWindows1252(sText);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, sText.data(), size, &wide[0], n);
  const int m = WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, nullptr, 0,
                                    nullptr, nullptr);
  if (m <= 0) return Utf8OrWindows1252(sText);
  std::string sOut(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), n, &sOut[0], m, nullptr,
                      nullptr);
  return sOut;
}

#else

std::string CatalogueToUtf8(std::string_view sText) {
  return Utf8OrWindows1252(sText);
}

#endif
