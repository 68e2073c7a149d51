// Searching a short stretch of memory for the first of two bytes, eight
// bytes at a time.
//
// The filter and the listings look at a short piece of each record (a
// value, a header's name), for its line end or one other byte. A library
// call costs more than such a piece holds, and a loop a byte at a time
// takes two or three compares a byte; this takes a few integer operations
// for eight.
#ifndef FLORRIN_SMDB_BYTE_SCAN_H_
#define FLORRIN_SMDB_BYTE_SCAN_H_

#include <cstddef>
#include <cstdint>
#include <cstring>

namespace byte_scan {

constexpr uint64_t kOnes = 0x0101010101010101u;
constexpr uint64_t kHighs = 0x8080808080808080u;

// Eight bytes from `p`, the first in the lowest bits, on any machine.
inline uint64_t Load8(const char* p) {
  unsigned char b[8];
  std::memcpy(b, p, 8);
  return uint64_t{b[0]} | uint64_t{b[1]} << 8 | uint64_t{b[2]} << 16 |
         uint64_t{b[3]} << 24 | uint64_t{b[4]} << 32 | uint64_t{b[5]} << 40 |
         uint64_t{b[6]} << 48 | uint64_t{b[7]} << 56;
}

// The high bit of each byte of `v` that is zero. A borrow can mark a byte
// above a zero byte too, never one below the lowest: only the lowest mark
// is sure.
inline uint64_t ZeroBytes(uint64_t v) { return (v - kOnes) & ~v & kHighs; }

// The index of the lowest marked byte of `m` (not 0).
inline size_t LowestByte(uint64_t m) {
#if defined(__GNUC__)
  return static_cast<size_t>(__builtin_ctzll(m)) / 8;
#else
  size_t i = 0;
  while ((m & 0x80) == 0) {
    m >>= 8;
    ++i;
  }
  return i;
#endif
}

}  // namespace byte_scan

// The first byte in [p, end) that equals `a`, or whose value with the bits
// of `fold` set equals `b` (`fold` 0x20 and a small letter `b` find it in
// either case of an ASCII letter); `end` when there is none.
inline const char* FirstOfTwo(const char* p, const char* end, char a, char b,
                              char fold = 0) {
  const uint64_t aa = byte_scan::kOnes * static_cast<unsigned char>(a);
  const uint64_t bb = byte_scan::kOnes * static_cast<unsigned char>(b);
  const uint64_t ff = byte_scan::kOnes * static_cast<unsigned char>(fold);
  for (; end - p >= 8; p += 8) {
    const uint64_t x = byte_scan::Load8(p);
    const uint64_t m =
        byte_scan::ZeroBytes(x ^ aa) | byte_scan::ZeroBytes((x | ff) ^ bb);
    if (m != 0) return p + byte_scan::LowestByte(m);
  }
  for (; p != end; ++p)
    if (*p == a || static_cast<char>(*p | fold) == b) return p;
  return end;
}

#endif  // FLORRIN_SMDB_BYTE_SCAN_H_
