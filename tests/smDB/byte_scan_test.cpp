// FirstOfTwo finds what a byte-by-byte loop finds, wherever the byte lies
// within or across its eight-byte steps, whatever bytes surround it.
#include "byte-scan.h"

#include <gtest/gtest.h>

#include <random>
#include <string>

namespace {

// The byte-by-byte answer, as an index into `s`.
size_t Naive(const std::string& s, size_t from, char a, char b, char fold) {
  for (size_t i = from; i < s.size(); ++i)
    if (s[i] == a || static_cast<char>(s[i] | fold) == b) return i;
  return s.size();
}

size_t Found(const std::string& s, size_t from, char a, char b, char fold) {
  return static_cast<size_t>(
      FirstOfTwo(s.data() + from, s.data() + s.size(), a, b, fold) -
      s.data());
}

struct Case {
  const char* what;
  std::string text;
  char a, b, fold;
  size_t expected;
};

class FirstOfTwoTest : public testing::TestWithParam<Case> {};

TEST_P(FirstOfTwoTest, FindsTheFirstOfEither) {
  const Case& c = GetParam();
  EXPECT_EQ(c.expected, Found(c.text, 0, c.a, c.b, c.fold));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FirstOfTwoTest,
    testing::Values(
        Case{"Empty", "", '\n', ']', 0, 0},
        Case{"NeitherShort", "abc", '\n', ']', 0, 3},
        Case{"NeitherLong", "abcdefghijklmnopq", '\n', ']', 0, 17},
        Case{"FirstByte", "]bcdefghij", '\n', ']', 0, 0},
        Case{"LastOfAStep", "abcdefg]ij", '\n', ']', 0, 7},
        Case{"FirstOfTheNextStep", "abcdefgh]j", '\n', ']', 0, 8},
        Case{"InTheTail", "abcdefghij]", '\n', ']', 0, 10},
        Case{"EarlierOfTheTwo", "abc\ndef]gh", '\n', ']', 0, 3},
        Case{"ZeroByteBeforeIt", std::string("ab\0\0\0]gh", 8), '\0', ']',
             0, 2},
        // A zero byte's borrow can mark the byte above it; only the lowest
        // mark counts.
        Case{"BorrowAboveAMatch", std::string("a]\x01\x01xxxx", 8), ']', 'z',
             0, 1},
        Case{"CapitalFoldedToSmall", "xxxxxDrama", '\n', 'd', 0x20, 5},
        Case{"SmallAsIs", "xxxxxxxxxdrama", '\n', 'd', 0x20, 9},
        Case{"NoFoldNoCapital", "xxxxxDrama", '\n', 'd', 0, 10},
        Case{"HighBytesAreNotLetters", "\xc4\xe4\xc4\xe4\xc4\xe4\xc4\xe4" "D",
             '\n', 'd', 0x20, 8},
        Case{"HighByteSought", "abcdefghi\xe9", '\n', '\xe9', 0, 9}),
    [](const testing::TestParamInfo<Case>& info) {
      return std::string(info.param.what);
    });

// Random bytes from a small set (the two sought, their other case, NUL,
// 0x80 and 0xFF), every start and length up to three steps.
TEST(FirstOfTwoRandomTest, AgreesWithALoopAtEveryStartAndLength) {
  std::mt19937 rng(5);
  const char bytes[] = {'\n', 'd', 'D', '\0', '\x80', '\xff', 'x', 'q'};
  for (int round = 0; round < 2000; ++round) {
    std::string s(rng() % 26, 'x');
    for (char& c : s)
      c = rng() % 4 == 0 ? bytes[rng() % 8] : static_cast<char>('a' + rng() % 26);
    for (size_t from = 0; from <= s.size(); ++from)
      for (char fold : {'\0', '\x20'})
        ASSERT_EQ(Naive(s, from, '\n', 'd', fold), Found(s, from, '\n', 'd', fold))
            << "text " << testing::PrintToString(s) << " from " << from;
  }
}

}  // namespace
