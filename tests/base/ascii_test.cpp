// The ASCII tests the parsers and importers share.
#include "ascii.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(IsAsciiTest, OneHighByteAnywhereInAnyLengthIsSeen) {
  // Lengths around the eight-byte steps, a high byte at every place.
  for (size_t n = 0; n <= 19; ++n) {
    const std::string plain(n, 'a');
    EXPECT_TRUE(IsAscii(plain)) << n;
    for (size_t at = 0; at < n; ++at) {
      for (const char high : {'\x80', '\xC3', '\xFF'}) {
        std::string text = plain;
        text[at] = high;
        EXPECT_FALSE(IsAscii(text)) << n << " " << at;
      }
    }
  }
  EXPECT_TRUE(IsAscii(std::string("\x7F\x00\x01", 3)));
  EXPECT_TRUE(IsAscii(std::string_view()));
}

}  // namespace
