// The title search's pieces that need no download: the log judgement, the
// search address and the choice of the best match.
#include "imdb-search.h"

#include <gtest/gtest.h>

#include "web_file_test.h"

TEST(SearchAddress, TitleGoesInUnchanged) {
  EXPECT_EQ("http://www.imdb.com/find?q=Star Wars  IV;more=tt",
            SearchAddress("Star Wars  IV"));
  EXPECT_EQ("http://www.imdb.com/find?q=a\"b&c;more=tt",
            SearchAddress("a\"b&c"));
}

TEST(WebSpaces, EverySpaceBecomesPlus) {
  sString s = "Star Wars  IV";
  WebSpaces(&s);
  EXPECT_EQ("Star+Wars++IV", s);
  s = "a\tb+c";
  WebSpaces(&s);
  EXPECT_EQ("a\tb+c", s);
}

TEST(DownloadTimeout, WholeSecondsFromTheVariableElseSixty) {
  EXPECT_EQ(60, DownloadTimeout(nullptr));
  EXPECT_EQ(5, DownloadTimeout("5"));
  EXPECT_EQ(1, DownloadTimeout("1"));
  EXPECT_EQ(86400, DownloadTimeout("86400"));
  EXPECT_EQ(7, DownloadTimeout("007"));
  for (const char* bad : {"", "0", "-5", "+5", " 5", "5 ", "5s", "2.5", "abc",
                          "86401", "99999999999999999999"}) {
    EXPECT_EQ(60, DownloadTimeout(bad)) << bad;
  }
}

class WgetLogTest : public WebFileTest {
 protected:
  bool Judge(const std::string& log) {
    Write("log", log);
    return WgetLogSaysSaved("log");
  }
};

TEST_F(WgetLogTest, TwoSuccessLinesMeanSaved) {
  EXPECT_TRUE(Judge("HTTP request sent, awaiting response... 200 OK\n"
                    "Length: 5\n"
                    "2024 - 'page.htm' saved [5/5]\n"));
  EXPECT_TRUE(Judge("x 200 OK\r\n'f' saved [1/1]\r\n"));
}

TEST_F(WgetLogTest, LastLineWithoutLineFeedCounts) {
  EXPECT_TRUE(Judge("200 OK\n'f' saved [1/1]"));
}

TEST_F(WgetLogTest, AnswerLinesWithoutTheCompletionLineAreNoSuccess) {
  // One answer line per try of a download that was cut short every time.
  EXPECT_FALSE(Judge("awaiting response... 200 OK\n"
                     "Connection closed at byte 1109. Retrying.\n"
                     "awaiting response... 200 OK\n"
                     "Connection closed at byte 1109. Giving up.\n"));
}

TEST_F(WgetLogTest, ALineHoldingBothCountsOnce) {
  EXPECT_FALSE(Judge("200 OK and 'f' saved\n"));
  EXPECT_FALSE(Judge("200 OK\n"));
}

TEST_F(WgetLogTest, OtherWordingsAreNoSuccess) {
  EXPECT_FALSE(Judge("awaiting response... 404 Not Found\n"
                     "ERROR 404: Not Found.\n"));
  // Typographic quotes, as written outside the C locale, are not the marker.
  EXPECT_FALSE(Judge("200 OK\n\xE2\x80\x98" "f\xE2\x80\x99 saved [1/1]\n"));
  EXPECT_FALSE(Judge(""));
}

TEST_F(WgetLogTest, MissingLogIsNoSuccess) {
  EXPECT_FALSE(WgetLogSaysSaved("absent"));
}

class ResultAnalyzeTest : public WebFileTest {
 protected:
  sString Analyze(const std::string& page) {
    Write("imbd-search.htm", page);
    return resultAnalyze("imbd-search.htm");
  }
};

TEST_F(ResultAnalyzeTest, ExactMatchesWinEvenWhenPopularComesFirst) {
  EXPECT_EQ("www.imdb.com/title/tt2/",
            Analyze("<p><b>Popular Titles</b> (1)\n"
                    "<ol><li>  <a href=\"/title/tt1/?fr=1\">P</a></li></ol>\n"
                    "<p><b>Titles (Exact Matches)</b> (Displaying 2)\n"
                    "<ol><li>  <a href=\"/title/tt2/?fr=2\">E</a></li>\n"
                    "<li>  <a href=\"/title/tt3/?fr=3\">F</a></li></ol>"));
}

TEST_F(ResultAnalyzeTest, PopularThenApproxWhenNoExactMatches) {
  EXPECT_EQ("www.imdb.com/title/tt1/",
            Analyze("<p><b>Titles (Approx Matches)</b>\n"
                    "<ol><li>  <a href=\"/title/tt9/?a\">A</a>\n"
                    "<p><b>Popular Titles</b>\n"
                    "<ol><li>  <a href=\"/title/tt1/?p\">P</a>"));
  EXPECT_EQ("www.imdb.com/title/tt9/",
            Analyze("<p><b>Titles (Approx Matches)</b>\r\n"
                    "<ol><li>  <a href=\"/title/tt9/?a\">A</a>"));
}

// --- error paths ---

TEST_F(ResultAnalyzeTest, NoKnownSectionIsNothingFound) {
  EXPECT_EQ(kNothingFound,
            Analyze("<p><b>Titles (Partial Matches)</b>\n"
                    "<ol><li>  <a href=\"/title/tt1/?p\">P</a>"));
  EXPECT_EQ(kNothingFound, resultAnalyze("absent.htm"));
}

TEST_F(ResultAnalyzeTest, HeadingWithoutAListIsNothingFound) {
  EXPECT_EQ(kNothingFound,
            Analyze("<p><b>Titles (Exact Matches)</b> (0)\n<p>none</p>\n"
                    "<p><b>Popular Titles</b>\n"
                    "<ol><li>  <a href=\"/title/tt1/?p\">P</a>"));
  // One space after "<li>" instead of two is not the list's form either.
  EXPECT_EQ(kNothingFound,
            Analyze("<p><b>Titles (Exact Matches)</b>"
                    "<ol><li> <a href=\"/title/tt1/?p\">P</a>"));
}

TEST_F(ResultAnalyzeTest, LinkThatIsNotAPathOnTheSiteIsNothingFound) {
  for (const std::string link :
       {"@127.0.0.1:1/title/tt1/", "//elsewhere.example/title/tt1/",
        ":8080/title/tt1/", ".elsewhere.example/title/tt1/", "title/tt1/",
        ""}) {
    EXPECT_EQ(kNothingFound,
              Analyze("<p><b>Titles (Exact Matches)</b>\n<ol><li>  <a href=\"" +
                      link + "?fr=1\">T</a>"))
        << link;
  }
  // A later section does not stand in for a first one that is unusable.
  EXPECT_EQ(kNothingFound,
            Analyze("<p><b>Titles (Exact Matches)</b>\n"
                    "<ol><li>  <a href=\"@h/title/tt1/?a\">E</a>\n"
                    "<p><b>Popular Titles</b>\n"
                    "<ol><li>  <a href=\"/title/tt2/?p\">P</a>"));
}
