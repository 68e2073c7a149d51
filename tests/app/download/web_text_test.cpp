// Reading web files as text: CR LF reads as LF, nothing else changes.
#include "web-text.h"

#include <gtest/gtest.h>

#include "web_file_test.h"

namespace {

// Translates `text` fed in chunks of `chunk` bytes.
std::string InChunks(const std::string& text, size_t chunk) {
  sString out;
  CrLfTranslator translator(&out);
  for (size_t i = 0; i < text.size(); i += chunk) {
    translator.Add(std::string_view(text).substr(i, chunk));
  }
  translator.Finish();
  return out;
}

}  // namespace

TEST(CrLfTranslator, OnlyCrLfPairsChange) {
  EXPECT_EQ("a\nb\n", InChunks("a\r\nb\r\n", 64));
  EXPECT_EQ("a\rb", InChunks("a\rb", 64));
  EXPECT_EQ("a\r\nb", InChunks("a\r\r\nb", 64));
  EXPECT_EQ("\n\r", InChunks("\r\n\r", 64));
  EXPECT_EQ("", InChunks("", 64));
}

TEST(CrLfTranslator, SameResultWhereverTheChunksSplit) {
  const std::string text = "x\r\n\r\r\ny\r\rz\r";
  const std::string whole = InChunks(text, text.size());
  EXPECT_EQ("x\n\r\ny\r\rz\r", whole);
  for (size_t chunk = 1; chunk < text.size(); ++chunk) {
    EXPECT_EQ(whole, InChunks(text, chunk)) << "chunk " << chunk;
  }
}

TEST(SplitTextLines, LastLineIsWhatFollowsTheLastLineFeed) {
  EXPECT_EQ((std::vector<sString>{"a", "b"}), SplitTextLines("a\nb"));
  EXPECT_EQ((std::vector<sString>{"a", ""}), SplitTextLines("a\n"));
  EXPECT_EQ((std::vector<sString>{""}), SplitTextLines(""));
  EXPECT_EQ((std::vector<sString>{"", "", "x\r"}), SplitTextLines("\n\nx\r"));
}

using ReadTextFileTest = WebFileTest;

TEST_F(ReadTextFileTest, TranslatesAcrossTheReadBuffer) {
  // A CR LF pair that straddles the reader's 16 KiB buffer boundary.
  std::string bytes(16383, 'a');
  bytes += "\r\nb\r";
  Write("page.htm", bytes);
  sString text;
  ASSERT_TRUE(ReadTextFile("page.htm", &text));
  EXPECT_EQ(std::string(16383, 'a') + "\nb\r", text);
}

TEST_F(ReadTextFileTest, LinesOfACrLfFile) {
  Write("page.htm", "one\r\ntwo\r\n");
  std::vector<sString> lines;
  ASSERT_TRUE(ReadTextLines("page.htm", &lines));
  EXPECT_EQ((std::vector<sString>{"one", "two", ""}), lines);
}

// --- error paths ---

TEST_F(ReadTextFileTest, MissingFileIsAFailure) {
  sString text = "stale";
  std::vector<sString> lines{"stale"};
  EXPECT_FALSE(ReadTextFile("absent.htm", &text));
  EXPECT_EQ("", text);
  EXPECT_FALSE(ReadTextLines("absent.htm", &lines));
  EXPECT_TRUE(lines.empty());
}
