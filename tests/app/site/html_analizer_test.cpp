// The field scanner: first marker, up to a one-character terminator, line
// breaks invisible.
#include "html-analizer.h"

#include <gtest/gtest.h>

#include "web_file_test.h"

class HtmlAnalyzeTest : public WebFileTest {
 protected:
  // Scans a page file holding `page`.
  sString ScanPage(const std::string& page, const sString& marker,
                   const sString& term) {
    Write("page.htm", page);
    return htmlAnalyze("page.htm", marker, term);
  }
};

TEST_F(HtmlAnalyzeTest, MarkerMatchesAcrossALineBreak) {
  EXPECT_EQ("7.9/10", ScanPage("<b>User Rating:</b>\n <b>7.9/10</b>",
                               "<b>User Rating:</b> <b>", "<"));
}

TEST_F(HtmlAnalyzeTest, FieldLinesAreJoinedWithNothingBetween) {
  EXPECT_EQ("136 min", ScanPage("Runtime:</h5>\n136\n min\n</div>",
                                "Runtime:</h5>", "<"));
  EXPECT_EQ("ab", ScanPage("M\r\na\r\nb<", "M", "<"));
}

TEST_F(HtmlAnalyzeTest, OtherBytesStayAsTheyAre) {
  EXPECT_EQ(" a\tb\rc ", ScanPage("M: a\tb\rc <", "M:", "<"));
}

TEST_F(HtmlAnalyzeTest, OnlyTheFirstOccurrenceCounts) {
  EXPECT_EQ("one", ScanPage("x M=one< M=two<", "M=", "<"));
}

TEST_F(HtmlAnalyzeTest, OverlappingCandidatesAreAllTried) {
  // A naive scan that skips past a partial match misses this one.
  EXPECT_EQ("x", ScanPage("aaab:x;", "aab:", ";"));
}

TEST_F(HtmlAnalyzeTest, TerminatorRightAfterMarkerGivesEmptyText) {
  EXPECT_EQ("", ScanPage("Tagline:</h5><a>", "Tagline:</h5>", "<"));
}

TEST_F(HtmlAnalyzeTest, EmptyMarkerMatchesAtTheStart) {
  EXPECT_EQ("ab", ScanPage("a\nb(c", "", "("));
}

TEST_F(HtmlAnalyzeTest, LineFeedTerminatorEndsTheFieldAtTheNextLineBreak) {
  // Line feeds are skipped while the marker is sought, so it still matches
  // across one; after it, the first line feed is the terminator.
  EXPECT_EQ(" b c", ScanPage("a\nM\nN b c\nd<", "MN", "\n"));
  EXPECT_EQ("v", ScanPage("M=v\r\nw", "M=", "\n"));
  EXPECT_EQ("", ScanPage("M\n\nx", "M", "\n"));
  EXPECT_EQ("ab", ScanPage("ab\ncd", "", "\n"));
  EXPECT_EQ(kErrInFetch, ScanPage("a\nM=v", "M=", "\n"));
}

TEST_F(HtmlAnalyzeTest, MatchIsCaseSensitive) {
  EXPECT_EQ(kErrInFetch, ScanPage("runtime:</h5>9<", "Runtime:</h5>", "<"));
}

// --- error paths ---

TEST_F(HtmlAnalyzeTest, MissingFileMarkerOrTerminatorFails) {
  EXPECT_EQ(kErrInFetch, htmlAnalyze("absent.htm", "M", "<"));
  EXPECT_EQ(kErrInFetch, ScanPage("nothing here <", "M", "<"));
  EXPECT_EQ(kErrInFetch, ScanPage("M and no end", "M", "<"));
  EXPECT_EQ(kErrInFetch, ScanPage("ends with M", "M", "<"));
}

TEST_F(HtmlAnalyzeTest, TerminatorOfOtherThanOneCharacterNeverMatches) {
  EXPECT_EQ(kErrInFetch, ScanPage("M x</a>", "M", "</a>"));
  EXPECT_EQ(kErrInFetch, ScanPage("M x<", "M", ""));
}

TEST_F(HtmlAnalyzeTest, ScanningLeavesTheFileAlone) {
  ScanPage("a\r\nM=v<", "M=", "<");
  EXPECT_EQ("a\r\nM=v<", ReadFile(dir_.File("page.htm")));
}
