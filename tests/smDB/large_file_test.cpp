// Scans and rewrites of files much larger than one read block: records,
// lines and searched names fall across block boundaries everywhere.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "file-view.h"
#include "get-put-line.h"
#include "line-reader.h"
#include "output.h"
#include "smDB.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";
constexpr int kRecords = 3000;

std::string Name(int i) { return "Rec " + std::to_string(i); }

// Plot lengths vary so that block boundaries land at every kind of place;
// some plots hold a bracketed word, and some lines are far longer than a
// block.
std::string Plot(int i) {
  std::string plot(static_cast<size_t>((i * 7919) % 900), 'a' + i % 26);
  if (i % 11 == 0) plot += " see [x] too";
  if (i % 1000 == 999) plot += std::string(200000, 'L');
  return plot;
}

std::string Block(int i) {
  return "\n\n[" + Name(i) + "]\nplot=" + Plot(i) + "\nGenre=" +
         (i % 3 == 0 ? "Drama" : "Comedy") + "\nType=t" + std::to_string(i);
}

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines(1);
  for (char c : text) {
    if (c == '\n') {
      lines.emplace_back();
    } else {
      lines.back().push_back(c);
    }
  }
  return lines;
}

class LargeFileTest : public ::testing::Test {
 protected:
  LargeFileTest() : cwd_(dir_.path()) {
    for (int i = 0; i < kRecords; ++i) text_ += Block(i);
    text_ = kHeader + text_;
    WriteFile("db", text_);
    db_.open("db");
  }

  // Where record i's header line begins, or the end of the text.
  size_t HeaderAt(int i) {
    if (i >= kRecords) return text_.size();
    return text_.find("\n[" + Name(i) + "]\n") + 1;
  }

  TempDir dir_;
  ScopedCwd cwd_;
  std::string text_;
  smDB db_;
};

TEST_F(LargeFileTest, ReaderHandsOutExactlyTheFileWhateverIsSkipped) {
  // Skipped bytes plus handed-out lines rebuild the file, and every line
  // that holds the needle is handed out.
  for (const std::string needle : {"[", "Rec 2999]", "Genre=", "zzz", "L"}) {
    LineReader reader;
    ASSERT_TRUE(reader.Open("db"));
    std::string rebuilt;
    int handed = 0, holding = 0;
    std::string_view line;
    for (;;) {
      rebuilt += reader.SkipToLineWith(needle, "Type=t29");
      if (!reader.Next(&line)) break;
      rebuilt += std::string(line) + (reader.EndedByNewline() ? "\n" : "");
      ++handed;
      holding += line.find(needle) != std::string_view::npos ||
                 line.find("Type=t29") != std::string_view::npos;
    }
    EXPECT_EQ(text_, rebuilt) << needle;
    size_t expected = 0;
    for (const std::string& l : SplitLines(text_))
      expected += l.find(needle) != std::string::npos ||
                  l.find("Type=t29") != std::string::npos;
    EXPECT_EQ(expected, static_cast<size_t>(holding)) << needle;
    EXPECT_LE(holding, handed);
  }
}

TEST_F(LargeFileTest, ReaderSearchesWithChangingNeedles) {
  // Each search may reuse the last hit of the same text; changing the texts,
  // swapping their roles and refilling the buffer must not mislead it.
  const std::pair<std::string, std::string> kPairs[] = {
      {"[", "Genre="}, {"Genre=", "["}, {"[", ""}, {"Type=t", "Genre=D"},
      {"[", "Genre="}, {"Genre=", ""}};
  LineReader reader;
  ASSERT_TRUE(reader.Open("db"));
  std::string rebuilt;
  std::string_view line;
  for (size_t call = 0;; ++call) {
    const auto& pair = kPairs[call % 6];
    rebuilt += reader.SkipToLineWith(pair.first, pair.second);
    if (!reader.Next(&line)) break;
    rebuilt += std::string(line) + (reader.EndedByNewline() ? "\n" : "");
  }
  EXPECT_EQ(text_, rebuilt);
}

TEST_F(LargeFileTest, LookupsFindEveryRecord) {
  for (int i = 0; i < kRecords; i += 37)
    EXPECT_EQ(Plot(i), db_.getRec(Name(i), "plot")) << i;
  EXPECT_EQ("t2999", db_.getRec(Name(2999), "Type"));
  EXPECT_EQ("!not found!", db_.getRec("Rec 3000", "Type"));
  EXPECT_FALSE(db_.addRec(Name(1999), "x"));
  EXPECT_EQ(text_, ReadFile("db"));
}

TEST_F(LargeFileTest, EditCountsLinesAcrossBlocks) {
  std::vector<std::string> lines = SplitLines(text_);
  for (int i : {0, 1234, 2999}) {
    ASSERT_TRUE(db_.editRec(Name(i), "Type", "edited"));
    for (std::string& l : lines)
      if (l == "Type=t" + std::to_string(i)) l = "Type=edited";
  }
  // Edited lines and the old last line get the system's line end.
  std::string expected;
  for (size_t n = 0; n < lines.size(); ++n) {
    if (n + 1 == lines.size() && lines[n].empty()) break;
    const bool written = n + 1 == lines.size() || lines[n] == "Type=edited";
    expected += lines[n] + (written ? kEol : "\n");
  }
  EXPECT_EQ(expected, ReadFile("db"));
}

TEST_F(LargeFileTest, PutLineReplacesDeepLines) {
  std::vector<std::string> lines = SplitLines(text_);
  int n = static_cast<int>(lines.size()) - 2;
  ASSERT_TRUE(PutLine("db", n, "X"));
  lines[static_cast<size_t>(n)] = "X";
  std::string expected;
  for (size_t k = 0; k < lines.size(); ++k)
    expected += lines[k] + (k + 2 >= lines.size() ? kEol : "\n");
  EXPECT_EQ(expected, ReadFile("db"));
}

TEST_F(LargeFileTest, DelAndChangeRewriteAroundTheRecord) {
  const int i = 1998;
  ASSERT_TRUE(db_.delRec(Name(i)));
  std::string expected = text_.substr(0, HeaderAt(i)) +
                         text_.substr(HeaderAt(i + 1)) + kEol;
  EXPECT_EQ(expected, ReadFile("db"));

  WriteFile("db", text_);
  ASSERT_TRUE(db_.changeRec(Name(i), "p", "", "", "", "", "", "", "", "", "",
                            "T"));
  expected = text_.substr(0, HeaderAt(i)) + "[" + Name(i) + "]\n" +
             Written("plot=p\ntagline=\nrate=\nyear=\ndirector=\nruntime="
                     "\ncomments=\npic=\nAct=\nGenre=\nType=T\n\n") +
             text_.substr(HeaderAt(i + 1)) + kEol;
  EXPECT_EQ(expected, ReadFile("db"));
}

TEST_F(LargeFileTest, RewritesOfManyMegabytesAreExact) {
  // Long enough that the rewrite hands its data to the disk in several
  // steps before the final flush.
  std::string big = kHeader;
  for (int i = 0; big.size() < (10u << 20); ++i)
    big += "\n\n[" + Name(i) + "]\nplot=" + std::string(4000, 'p') +
           "\nType=t" + std::to_string(i);
  WriteFile("db", big);
  ASSERT_TRUE(db_.delRec(Name(0)));
  const size_t second = big.find("[" + Name(1) + "]");
  std::string expected =
      big.substr(0, big.find("[" + Name(0))) + big.substr(second) + kEol;
  // Compared as a whole, not printed: a mismatch would print megabytes.
  EXPECT_TRUE(expected == ReadFile("db"));
  ASSERT_TRUE(PutLine("db", 1, "first"));
  expected = kHeader + "first" + kEol + expected.substr(kHeader.size() + 1);
  EXPECT_TRUE(expected == ReadFile("db"));
}

TEST_F(LargeFileTest, FilterListsEveryMatchInOrder) {
  std::string expected;
  for (int i = 0; i < kRecords; ++i) {
    // A bracketed word in a plot does not rename the record.
    if (i % 3 == 0) expected += Name(i) + "|";
  }
  testing::internal::CaptureStdout();
  EXPECT_TRUE(db_.printFilter("Genre", "drama"));
  FlushOutput();
  EXPECT_EQ(expected, testing::internal::GetCapturedStdout());
}

// Cuts the catalogue short once the filter has opened it, as an append that
// fails part-way cuts back what it added.
uint64_t g_cut_to = 0;
void CutCatalogue() { std::filesystem::resize_file("db", g_cut_to); }

TEST_F(LargeFileTest, FilterAnswersFromWhatItReadWhenTheFileShrinks) {
  std::string expected;
  for (int i = 0; i < 1000; ++i)
    if (i % 3 == 0) expected += Name(i) + "|";
  g_cut_to = HeaderAt(1000);
  SetFileViewOpenedHookForTest(CutCatalogue);
  testing::internal::CaptureStdout();
  const bool bDone = db_.printFilter("Genre", "drama");
  FlushOutput();
  SetFileViewOpenedHookForTest(nullptr);
  EXPECT_TRUE(bDone);
  EXPECT_EQ(expected, testing::internal::GetCapturedStdout());
}

}  // namespace
