// ASCII character tests for the parsers of protocol text (HTTP answers,
// addresses, ids), which must not depend on the C locale as <cctype> does.
#ifndef FLORRIN_BASE_ASCII_H_
#define FLORRIN_BASE_ASCII_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>

// True for '0' to '9' only.
inline bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// True when `text` is not empty and all digits.
inline bool AllDigits(std::string_view text) {
  for (const char c : text)
    if (!IsDigit(c)) return false;
  return !text.empty();
}

// `c` with an ASCII capital made small; every other byte as it is.
inline char LowerAscii(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// True when `text` from byte `at` begins with `lowerPrefix` (written in
// small letters), ASCII capitals in `text` taken as small ones.
inline bool StartsWithNoCase(std::string_view text, size_t at,
                             std::string_view lowerPrefix) {
  if (at > text.size() || text.size() - at < lowerPrefix.size()) return false;
  for (size_t i = 0; i < lowerPrefix.size(); ++i) {
    if (LowerAscii(text[at + i]) != lowerPrefix[i]) return false;
  }
  return true;
}

// True when `a` and `b` are equal but for the case of ASCII letters.
inline bool EqualNoCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (LowerAscii(a[i]) != LowerAscii(b[i])) return false;
  }
  return true;
}

// True when every byte of `text` is below 0x80. Eight bytes at a time: the
// importers ask this of every value they take.
inline bool IsAscii(std::string_view text) {
  const char* p = text.data();
  size_t n = text.size();
  uint64_t seen = 0;
  for (; n >= 8; p += 8, n -= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    seen |= word;
  }
  for (; n > 0; ++p, --n) seen |= static_cast<unsigned char>(*p);
  return (seen & 0x8080808080808080u) == 0;
}

#endif  // FLORRIN_BASE_ASCII_H_
