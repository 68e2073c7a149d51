// The one output path: pieces reach standard output in order and whole, and
// nothing printed is left behind once the output is flushed.
#include "output.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

namespace {

class OutputTest : public ::testing::Test {
 protected:
  // What reaches standard output from `fn` and the flush after it.
  template <typename Fn>
  std::string Printed(Fn fn) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    fn();
    FlushOutput();
    return testing::internal::GetCapturedStdout();
  }
};

TEST_F(OutputTest, PiecesAndItemsComeOutInOrder) {
  EXPECT_EQ(std::string("a|b|c\0d", 7), Printed([] {
              PrintItem("a");
              Print("");
              PrintItem("b");
              Print(std::string_view("c\0d", 3));
            }));
  EXPECT_EQ("|", Printed([] { PrintItem(""); }));
}

TEST_F(OutputTest, AFlushLeavesNothingBehind) {
  EXPECT_EQ("one", Printed([] { Print("one"); }));
  EXPECT_EQ("", Printed([] {}));
}

TEST_F(OutputTest, OutputLongerThanTheBufferComesOutWholeAndInOrder) {
  // Small pieces that fill the buffer many times over, pieces that end
  // exactly at its edge, and single pieces larger than it.
  std::string expected;
  const std::string text = Printed([&expected] {
    for (int i = 0; i < 30000; ++i) {
      const std::string name = "Name " + std::to_string(i);
      PrintItem(name);
      expected += name + "|";
    }
    for (size_t n : {size_t{1} << 16, size_t{1} << 17, size_t{3}}) {
      const std::string big(n, static_cast<char>('a' + n % 26));
      Print(big);
      expected += big;
    }
  });
  EXPECT_EQ(expected.size(), text.size());
  EXPECT_TRUE(expected == text);
}

TEST_F(OutputTest, HeldOutputComesOutOnlyWhenCommittedAfterWhatCameBefore) {
  // Dropped: what was printed before the hold stays, the held text is gone,
  // and printing goes on as usual after it.
  EXPECT_EQ("before|after", Printed([] {
              PrintItem("before");
              {
                HeldOutput held;
                PrintItem("dropped");
              }
              Print("after");
            }));
  // Committed, more than one chunk's worth in many pieces and one piece
  // larger than any chunk: all of it, in order, after what came before.
  std::string expected = "before|";
  const std::string text = Printed([&expected] {
    PrintItem("before");
    HeldOutput held;
    for (int i = 0; i < 200000; ++i) {
      const std::string name = "Name " + std::to_string(i);
      PrintItem(name);
      expected += name + "|";
    }
    const std::string big(3 << 20, 'b');
    Print(big);
    expected += big;
    EXPECT_TRUE(held.Commit());
    Print("after");
    expected += "after";
  });
  EXPECT_EQ(expected.size(), text.size());
  EXPECT_TRUE(expected == text);
}

TEST_F(OutputTest, NothingHeldLeaksIntoTheNextHold) {
  EXPECT_EQ("second|", Printed([] {
              { HeldOutput held; PrintItem("first"); }
              HeldOutput held;
              PrintItem("second");
              EXPECT_TRUE(held.Commit());
            }));
}

}  // namespace
