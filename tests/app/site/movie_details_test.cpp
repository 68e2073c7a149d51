// The nine detail extractors on small title pages.
#include "movie-details.h"

#include <gtest/gtest.h>

#include "web_file_test.h"

class MovieDetailsTest : public WebFileTest {
 protected:
  // Writes `page` as the title page and returns its name.
  sString Page(const std::string& page) {
    Write("imbd-movie.htm", page);
    return "imbd-movie.htm";
  }
};

TEST_F(MovieDetailsTest, PlotSummaryWinsOverOutlineWhereverItStands) {
  EXPECT_EQ("Long.", infoPlot(Page("Plot Outline:</h5> Short.<a>\n"
                                   "Plot Summary:</h5> Long.<a>")));
  EXPECT_EQ("Short.", infoPlot(Page("Plot Outline:</h5> Short.<a>")));
  EXPECT_EQ("", infoPlot(Page("<h5>Plot</h5> nothing<")));
}

TEST_F(MovieDetailsTest, PlotMarkersNeedTheTrailingSpace) {
  // A line break between heading and space is invisible; another byte is not.
  EXPECT_EQ("Text.", infoPlot(Page("Plot Summary:</h5>\n Text.<")));
  EXPECT_EQ("", infoPlot(Page("Plot Summary:</h5>Text.<")));
  EXPECT_EQ("Outline.", infoPlot(Page("Plot Summary:</h5>\tNo.<\n"
                                      "Plot Outline:</h5> Outline.<")));
}

TEST_F(MovieDetailsTest, TaglineRateAndRuntimeAreCutAsTheyStand) {
  const sString page = Page(
      "<h5>Tagline:</h5> One line. <a>\n"
      "<b>User Rating:</b> \n<b>7.9/10</b>\n"
      "<h5>Runtime:</h5>\n136\n min\n</div>");
  EXPECT_EQ(" One line. ", infoTagline(page));
  EXPECT_EQ("7.9/10", infoRate(page));
  EXPECT_EQ("136 min", infoRuntime(page));
}

TEST_F(MovieDetailsTest, YearIsTheFourCharactersAfterTheFirstParenthesis) {
  EXPECT_EQ("1999", infoYear(Page("<title>Some Film (1999)</title>")));
  EXPECT_EQ("I) (", infoYear(Page("<title>Some Film (I) (1999)</title>")));
  EXPECT_EQ("", infoYear(Page("<title>Some Film</title>")));
  EXPECT_EQ("(99)", infoYear(Page("<title>(99)</title>")));
}

TEST_F(MovieDetailsTest, DirectorIsTheFirstLinkText) {
  EXPECT_EQ("Some Director",
            infoDirector(Page("<h5>Directed by</h5>\n"
                              "<a href=\"/name/nm0000001/\">Some Director</a>"
                              "<br/><a href=\"/name/nm2/\">Second</a>")));
  EXPECT_EQ("", infoDirector(Page("<h5>Directed by</h5> Some Director")));
}

TEST_F(MovieDetailsTest, PosterIsTheSrcOfTheElementTitledWithTheName) {
  const sString page = Page(
      "<title>Some Film (1999)</title>\n"
      "<a title=\"Some Film\"><img title=\"Other\" src=\"/o.jpg\">\n"
      "<img alt=\"x\" title=\"Some Film\" src=\"http://h/p.jpg\" width=1>");
  EXPECT_EQ("http://h/p.jpg", infoPic(page));
}

TEST_F(MovieDetailsTest, PosterOfATitleWithInnerParenthesesUsesTheFirstOne) {
  EXPECT_EQ("/g.jpg",
            infoPic(Page("<title>Glass (I) (2003)</title>"
                         "<img title=\"Glass\" src=\"/g.jpg\">")));
}

TEST_F(MovieDetailsTest, NoPosterWithoutAMatchingElementOrTitle) {
  EXPECT_EQ("", infoPic(Page("<title>Some Film (1999)</title>"
                             "<img alt=\"Some Film\" src=\"/p.jpg\">")));
  EXPECT_EQ("", infoPic(Page("<title>Some Film</title>"
                             "<img title=\"Some Film\" src=\"/p.jpg\">")));
}

TEST_F(MovieDetailsTest, CastIsEveryNonEmptyLinkTextFromTheHeadingOn) {
  const sString page = Page(
      "<a href=\"/name/nm0/\">Before</a>\n"
      "<a href=\"/name/nm9/\">Same line, before</a> Cast overview:"
      "<a href=\"/name/nm1/\">First Actor</a> ... "
      "<a href=\"/character/ch1/\">First Role</a>"
      "<a href=\"/character/ch2/\"></a>"
      "<a href=\"/name/nm2/\">Second Actor</a>\n"
      "<a href=\"/name/nm3/\">Next line</a>");
  EXPECT_EQ(" - First Actor - First Role - Second Actor", infoCast(page));
}

TEST_F(MovieDetailsTest, GenresComeFromTheLineAfterTheHeading) {
  EXPECT_EQ(" - Drama - Crime",
            infoGenre(Page("<h5>Genre:</h5><a href=\"/G/Heading/\">No</a>\n"
                           "<a href=\"/G/Drama/\">Drama</a> | "
                           "<a href=\"/G/Crime/\">Crime</a>\n"
                           "<a href=\"/G/Later/\">Later</a>")));
}

TEST_F(MovieDetailsTest, EmptyGenreTextStillAddsItsSeparator) {
  EXPECT_EQ(" - Drama -  - Crime",
            infoGenre(Page("Genre:</h5>\n<a href=\"/G/D/\">Drama</a>"
                           "<a href=\"/G/E/\"></a><a href=\"/G/C/\">Crime</a>")));
}

TEST_F(MovieDetailsTest, LineExtractorsReadCrLfPagesAsText) {
  const sString page = Page(
      "Cast overview<a href=\"/n/\">A</a>\r\n"
      "Genre:</h5>\r\n<a href=\"/g/\">Drama</a>\r\n");
  EXPECT_EQ(" - A", infoCast(page));
  EXPECT_EQ(" - Drama", infoGenre(page));
}

// --- error paths ---

TEST_F(MovieDetailsTest, MissingPageGivesEmptyFields) {
  const sString absent = "absent.htm";
  for (auto* info : {infoPlot, infoTagline, infoRate, infoYear, infoDirector,
                     infoRuntime, infoPic, infoCast, infoGenre}) {
    EXPECT_EQ("", info(absent));
  }
}

TEST_F(MovieDetailsTest, GenreHeadingOnTheLastLineGivesNothing) {
  EXPECT_EQ("", infoGenre(Page("x\nGenre:</h5>")));
  EXPECT_EQ("", infoGenre(Page("x\nGenre:</h5>\n")));
  EXPECT_EQ("", infoCast(Page("no cast here")));
}

TEST_F(MovieDetailsTest, UnterminatedPieceEndsTheScanAndAddsNothing) {
  EXPECT_EQ(" - A", infoCast(Page("Cast overview<a href=\"/n/\">A</a> "
                                  "<a href=\"/m/\">B and no tag after")));
  EXPECT_EQ(" - Drama", infoGenre(Page("Genre:</h5>\n"
                                       "<a href=\"/g/\">Drama</a>"
                                       "<a href=\"/h/\">Crime</b>")));
  EXPECT_EQ("", infoCast(Page("Cast overview/\">/\">/\">")));
  EXPECT_EQ("", infoGenre(Page("Genre:</h5>\n/\">x/\">y")));
}

TEST_F(MovieDetailsTest, LineOfUnterminatedPiecesStaysSmall) {
  // Without a terminator anywhere after them, each of these pieces would be
  // the whole line: about 64 MB here.
  std::string line = "Cast overview";
  for (int i = 0; i < 4000; ++i) line += "/\">x";
  EXPECT_EQ("", infoCast(Page(line)));
  EXPECT_EQ("", infoGenre(Page("Genre:</h5>\n" + line)));
}
