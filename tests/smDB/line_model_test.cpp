// The line model, and the single-line primitives built on it.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <limits>
#include <string>
#include <vector>

#include "get-put-line.h"
#include "line-count.h"
#include "line-reader.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

class LineFileTest : public ::testing::Test {
 protected:
  LineFileTest() : cwd_(dir_.path()) {}

  void Given(const std::string& bytes) { WriteFile("f", bytes); }
  std::string Now() { return ReadFile("f"); }

  // Every line the reader hands out, each tagged "+" when it was ended by a
  // line break and "." when it is the last line.
  std::vector<std::string> ReadLines() {
    LineReader reader;
    std::vector<std::string> out;
    if (!reader.Open("f")) return {"<cannot open>"};
    std::string_view line;
    while (reader.Next(&line))
      out.push_back(std::string(line) + (reader.EndedByNewline() ? "+" : "."));
    return out;
  }

  TempDir dir_;
  ScopedCwd cwd_;
};

using Lines = std::vector<std::string>;

TEST_F(LineFileTest, LastLineIsAlwaysHandedOutEvenWhenEmpty) {
  Given("");
  EXPECT_EQ(Lines({"."}), ReadLines());
  Given("K\nL\n");
  EXPECT_EQ(Lines({"K+", "L+", "."}), ReadLines());
  Given("K\nL");
  EXPECT_EQ(Lines({"K+", "L."}), ReadLines());
  Given("\n\n");
  EXPECT_EQ(Lines({"+", "+", "."}), ReadLines());
}

TEST_F(LineFileTest, CrBeforeLfBelongsToTheLineEndOtherBytesToTheLine) {
  Given("a\r\n\rb\t\x01\xff\n");
  EXPECT_EQ(Lines({"a+", "\rb\t\x01\xff+", "."}), ReadLines());
  Given("a\r\r\nb\rc\r");
  EXPECT_EQ(Lines({"a\r+", "b\rc\r."}), ReadLines());
}

TEST_F(LineFileTest, NoByteEndsTheFileEarly) {
  // 0x1A ends a file read in text mode on Windows.
  Given(std::string("a\x1a" "b\r\n\x1a\n\0c", 9));
  EXPECT_EQ(Lines({"a\x1a" "b+", "\x1a+", std::string("\0c.", 3)}),
            ReadLines());
  EXPECT_EQ(2, GetNoOfLines("f"));
  EXPECT_EQ(std::string("\0c", 2), GetLine("f", 2));
}

TEST_F(LineFileTest, CrLfSplitAcrossReadBlocksIsOneLineEnd) {
  // The reader's blocks are 64 KiB: the CR is the first block's last byte.
  const std::string a((1 << 16) - 1, 'a');
  Given(a + "\r\nb\r\n");
  EXPECT_EQ(Lines({a + "+", "b+", "."}), ReadLines());
}

TEST_F(LineFileTest, LinesSpanningReadBlocksComeOutWhole) {
  // Lines around the reader's block size, and one far longer than a block.
  std::string a(1 << 20, 'a');
  std::string b((1 << 20) - 3, 'b');
  std::string c(3 << 20, 'c');
  Given(a + "\n" + b + "\n" + c);
  Lines got = ReadLines();
  ASSERT_EQ(3u, got.size());
  EXPECT_EQ(a + "+", got[0]);
  EXPECT_EQ(b + "+", got[1]);
  EXPECT_EQ(c + ".", got[2]);
  EXPECT_EQ(2, GetNoOfLines("f"));
  EXPECT_EQ(c, GetLine("f", 2));
}

TEST_F(LineFileTest, CountsAndReadsLinesOfAFileEndingWithALineBreak) {
  Given("K\nL\n");
  EXPECT_EQ(2, GetNoOfLines("f"));
  EXPECT_EQ("K", GetLine("f", 0));
  EXPECT_EQ("L", GetLine("f", 1));
  EXPECT_EQ("", GetLine("f", 2));
  EXPECT_EQ("!err GetLine!", GetLine("f", 3));
}

TEST_F(LineFileTest, CountsAndReadsLinesOfAFileWithoutFinalLineBreak) {
  Given("K\nL");
  EXPECT_EQ(1, GetNoOfLines("f"));
  EXPECT_EQ("L", GetLine("f", 1));
  EXPECT_EQ("!err GetLine!", GetLine("f", 2));
  Given("");
  EXPECT_EQ(0, GetNoOfLines("f"));
  EXPECT_EQ("", GetLine("f", 0));
  Given("x\r\n");
  EXPECT_EQ("x", GetLine("f", 0));
}

TEST_F(LineFileTest, PutLineRewritesAsTheExamplesSay) {
  // Lines that are copied keep their line ends; written lines, and the old
  // last line, get the system's.
  struct Case {
    std::string old_file;
    int line_no;
    std::string new_file;
  } cases[] = {
      {"K\nL\nM", 1, "K\n" + Written("X\nM\n")},
      {"K\nL\nM", 2, "K\nL\n" + Written("X\n")},
      {"K\nL\n", 2, "K\nL\n" + Written("X\n")},
      {"K\nL\n", 4, "K\nL\n" + Written("\n\nX\n")},
      {"K\nL\n", 0, Written("X\n") + "L\n"},
      {"", 0, Written("X\n")},
      {"\n", 0, Written("X\n")},
      {"K\r\nL\r\n", 1, "K\r\n" + Written("X\n")},
      {"K\r\nL\r\nM", 0, Written("X\n") + "L\r\n" + Written("M\n")},
      {"K\r\nL\nM\r\n", 2, "K\r\nL\n" + Written("X\n")},
  };
  for (const Case& c : cases) {
    Given(c.old_file);
    EXPECT_TRUE(PutLine("f", c.line_no, "X"));
    EXPECT_EQ(c.new_file, Now()) << "old file '" << c.old_file << "', line "
                                 << c.line_no;
    EXPECT_FALSE(FileExists("tempout"));
  }
}

TEST_F(LineFileTest, PutLineOnAMissingFileCreatesIt) {
  EXPECT_TRUE(PutLine("f", 1, "X"));
  EXPECT_EQ(Written("\nX\n"), Now());
}

TEST_F(LineFileTest, DelAndRenKeepTheirOppositeConventions) {
  Given("x");
  EXPECT_EQ(0, ren("f", "g"));
  EXPECT_EQ("x", ReadFile("g"));
  EXPECT_EQ(1, del("g"));
  EXPECT_EQ(0, del("g"));
  EXPECT_NE(0, ren("g", "h"));
}

TEST_F(LineFileTest, CountsGoPastTwoToThe31) {
  // Counting on from just below the int limit, as a scan of a catalogue of
  // more than 2^31 lines does.
  const int64_t kMax = std::numeric_limits<int>::max();
  EXPECT_EQ(kMax + 3, AddLineBreaks(kMax - 1, "a\n\nb\n\n"));
  EXPECT_EQ(int64_t{1} << 33, AddLineBreaks((int64_t{1} << 33) - 1, "\n"));
  EXPECT_EQ(2, AddLineBreaks(0, "\nx\n"));
  // The public interfaces' int holds up to the limit and refuses beyond.
  EXPECT_EQ(kMax, NarrowLineCount(kMax));
  EXPECT_EQ(-1, NarrowLineCount(kMax + 1));
  EXPECT_EQ(-1, NarrowLineCount(int64_t{1} << 40));
  EXPECT_EQ(0, NarrowLineCount(0));
}

// --- error paths ---

TEST_F(LineFileTest, MissingFileAndBadLineNumbers) {
  EXPECT_EQ(-1, GetNoOfLines("f"));
  EXPECT_EQ("!err GetLine!", GetLine("f", 0));
  Given("K\nL");
  EXPECT_EQ("!err GetLine!", GetLine("f", -1));
  EXPECT_FALSE(PutLine("f", -1, "X"));
  EXPECT_EQ("K\nL", Now());
}

TEST_F(LineFileTest, AFileThatOpensButCannotBeReadCountsAsUnreadable) {
  std::filesystem::create_directory("f");
  EXPECT_EQ(-1, GetNoOfLines("f"));
  EXPECT_EQ("!err GetLine!", GetLine("f", 0));
  EXPECT_EQ(Lines({"<cannot open>"}), ReadLines());
}

TEST_F(LineFileTest, PutLineThatCannotWriteItsScratchLeavesTheFileWhole) {
  Given("K\nL");
  std::filesystem::create_directories("tempout/inside");
  EXPECT_FALSE(PutLine("f", 0, "X"));
  EXPECT_EQ("K\nL", Now());
}

}  // namespace
