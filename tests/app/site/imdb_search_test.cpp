// The title search's pieces that need no download: the search address and
// the choice of the best match.
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
