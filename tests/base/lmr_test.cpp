// The string toolkit's bounds rules: every parser depends on them.
#include "lmr.h"

#include <gtest/gtest.h>

TEST(LeftRight, CountsWithinTheTextCut) {
  EXPECT_EQ("", Left("abc", 0));
  EXPECT_EQ("ab", Left("abc", 2));
  EXPECT_EQ("ef", Right("abcdef", 2));
  EXPECT_EQ("", Right("abcdef", 0));
}

TEST(LeftRight, CountsOutOfRangeGiveTheWholeText) {
  EXPECT_EQ("abc", Left("abc", 3));
  EXPECT_EQ("abc", Left("abc", 5));
  EXPECT_EQ("abc", Left("abc", -1));
  EXPECT_EQ("abcdef", Right("abcdef", 6));
  EXPECT_EQ("abcdef", Right("abcdef", -2));
  EXPECT_EQ("", Left("", 0));
}

TEST(Mid, CutsFromStartAndStopsAtTheEnd) {
  EXPECT_EQ("cde", Mid("abcdef", 2, 3));
  EXPECT_EQ("ef", Mid("abcdef", 4, 5));
  EXPECT_EQ("", Mid("abcdef", 6, 2));
}

TEST(Mid, LengthOutOfRangeGivesTheWholeTextWhateverTheStart) {
  EXPECT_EQ("abcdef", Mid("abcdef", 2, 6));
  EXPECT_EQ("abcdef", Mid("abcdef", 2, -1));
  EXPECT_EQ("abcdef", Mid("abcdef", 5, 100));
}

TEST(Mid, StartBeyondTheTextIsEmptyNotACrash) {
  EXPECT_EQ("", Mid("abcdef", 9, 2));
  EXPECT_EQ("", Mid("abcdef", -3, 2));
}

TEST(FindInStr, FindsFromTheStartPositionItself) {
  EXPECT_EQ(1, FindInStr("abcabc", "bc", 0));
  EXPECT_EQ(1, FindInStr("abcabc", "bc", 1));
  EXPECT_EQ(4, FindInStr("abcabc", "bc", 2));
  EXPECT_EQ(-1, FindInStr("abcabc", "bc", 5));
  EXPECT_EQ(-1, FindInStr("abc", "x", 0));
}

TEST(FindInStr, StartOutOfRangeOrEmptyTextFindsNothing) {
  EXPECT_EQ(-1, FindInStr("abc", "a", -1));
  EXPECT_EQ(-1, FindInStr("abc", "a", 3));
  EXPECT_EQ(-1, FindInStr("", "", 0));
  EXPECT_EQ(-1, FindInStr("", "a", 0));
}

TEST(FindInStr, EmptyNeedleIsFoundAtTheStart) {
  EXPECT_EQ(1, FindInStr("abc", "", 1));
  EXPECT_EQ(0, FindInStr("abc", "", 0));
}

TEST(FindInStr, NeedleRunningPastTheEndDoesNotMatch) {
  EXPECT_EQ(-1, FindInStr("abcab", "abc", 1));
}

TEST(RemFromStr, RemovesLeftToRightWithoutOverlap) {
  sString s = "a\r\rb";
  RemFromStr(&s, "\r");
  EXPECT_EQ("ab", s);
  s = "abab";
  RemFromStr(&s, "ab");
  EXPECT_EQ("", s);
  s = "aabb";  // removing the inner "ab" joins "a" and "b": not removed again
  RemFromStr(&s, "ab");
  EXPECT_EQ("ab", s);
  s = "aaa";
  RemFromStr(&s, "aa");
  EXPECT_EQ("a", s);
}

TEST(RemFromStr, EmptyPatternLeavesTheTextAlone) {
  sString s = "abc";
  RemFromStr(&s, "");
  EXPECT_EQ("abc", s);
}
