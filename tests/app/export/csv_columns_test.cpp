// Which columns an import reads, from the files other programs write.
#include "csv-columns.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

enum { kPlot, kTagline, kRate, kYear, kDirector, kRuntime, kComments, kPic,
       kAct, kGenre, kType };

CsvMovie Read(const std::vector<std::string>& header,
              const std::vector<std::string>& row) {
  return CsvColumns(header).Read(row);
}

TEST(CsvColumnsTest, TheExportsOfMovieSites) {
  // An IMDb ratings export, a Letterboxd diary, a plain list.
  const std::vector<std::string> imdb = {
      "Const", "Your Rating", "Date Rated", "Title", "Original Title", "URL",
      "Title Type", "IMDb Rating", "Runtime (mins)", "Year", "Genres",
      "Num Votes", "Release Date", "Directors"};
  CsvMovie m = Read(imdb, {"tt0137523", "9", "2020-01-01", "Fight Club",
                           "Fight Club", "https://www.imdb.com/title/tt0137523/",
                           "Movie", "8.8", "139", "1999", "Drama, Thriller",
                           "2000000", "1999-10-15", "David Fincher"});
  EXPECT_EQ("Fight Club", m.sTitle);
  EXPECT_EQ("tt0137523", m.sImdb);
  EXPECT_EQ("", m.sTmdb);
  EXPECT_EQ("8.8/10", m.values[kRate]);
  EXPECT_EQ("139 min", m.values[kRuntime]);
  EXPECT_EQ("1999", m.values[kYear]);
  EXPECT_EQ(" - Drama - Thriller", m.values[kGenre]);
  EXPECT_EQ("David Fincher", m.values[kDirector]);
  EXPECT_EQ("My rating: 9/10", m.values[kComments]);
  EXPECT_EQ("", m.values[kType]);  // "Title Type" is no Type column

  m = Read({"Date", "Name", "Year", "Letterboxd URI", "Rating"},
           {"2021-02-03", "Paris, Texas", "1984", "https://boxd.it/abc", "4.5"});
  EXPECT_EQ("Paris, Texas", m.sTitle);
  EXPECT_EQ("My rating: 9/10", m.values[kComments]);
  EXPECT_EQ("", m.sImdb);

  // Names without case or surrounding spaces; "Title" over "Name"; a URL's
  // id when there is no id column; unknown columns ignored.
  m = Read({" name ", "TITLE", "url", "Extra", "DIRECTOR", "comments"},
           {"n", "t", "http://m.imdb.com/title/tt0000001/", "x", "d", "mine"});
  EXPECT_EQ("t", m.sTitle);
  EXPECT_EQ("tt0000001", m.sImdb);
  EXPECT_EQ("d", m.values[kDirector]);
  EXPECT_EQ("mine", m.values[kComments]);
}

TEST(CsvColumnsTest, CellsAsTheCatalogueTakesThem) {
  const std::vector<std::string> header = {"Title", "Plot", "tmdbID", "imdbID",
                                           "Year", "Rate"};
  const struct {
    const char* what;
    std::vector<std::string> row;
    std::string title, plot, tmdb, imdb, year, rate;
  } kCases[] = {
      {"line breaks become spaces", {"a", "one\r\ntwo\nthree\rfour"},
       "a", "one two three four", "", "", "", ""},
      {"guard taken off", {"'=x", "'+1", "603", "tt0137523", "1999", "'-5"},
       "=x", "+1", "603", "tt0137523", "1999", "-5"},
      {"ids of other forms left out", {"a", "", "60x", "tt12", "", ""},
       "a", "", "", "", "", ""},
      {"spaces around ids and year, not the title", {" a ", " p ", " 603 ", " tt0137523", " 1999 "},
       " a ", " p ", "603", "tt0137523", "1999", ""},
      {"Windows-1252 where it is not UTF-8", {"Am\xE9lie", "\x93Hi\x94"},
       "Am\xC3\xA9lie", "\xE2\x80\x9CHi\xE2\x80\x9D", "", "", "", ""},
      {"UTF-8 kept", {"Am\xC3\xA9lie"}, "Am\xC3\xA9lie", "", "", "", "", ""},
      {"a short row", {}, "", "", "", "", "", ""},
  };
  for (const auto& c : kCases) {
    const CsvMovie m = Read(header, c.row);
    EXPECT_EQ(c.title, m.sTitle) << c.what;
    EXPECT_EQ(c.plot, m.values[kPlot]) << c.what;
    EXPECT_EQ(c.tmdb, m.sTmdb) << c.what;
    EXPECT_EQ(c.imdb, m.sImdb) << c.what;
    EXPECT_EQ(c.year, m.values[kYear]) << c.what;
    EXPECT_EQ(c.rate, m.values[kRate]) << c.what;
  }
  EXPECT_FALSE(CsvColumns({"Year", "Titles"}).HasTitle());
  EXPECT_TRUE(CsvColumns({"Year", "name"}).HasTitle());
}

TEST(CsvColumnsTest, NumbersInTheCatalogueForm) {
  const struct {
    const char* cell;
    const char* runtime;
    const char* rate;
    const char* mine10;
    const char* mine5;
  } kCases[] = {
      {"139", "139 min", "139.0/10", "", ""},
      {"8.8", "", "8.8/10", "", ""},
      {"7", "7 min", "7.0/10", "My rating: 7/10", ""},
      {"0.5", "", "0.5/10", "", "My rating: 1/10"},
      {"5", "5 min", "5.0/10", "My rating: 5/10", "My rating: 10/10"},
      {"10", "10 min", "10.0/10", "My rating: 10/10", ""},
      {"0", "0 min", "0.0/10", "", ""},
      {"007", "7 min", "7.0/10", "My rating: 7/10", ""},
      {"2.25", "", "2.2/10", "", ""},
      {"", "", "", "", ""},
      {"abc", "", "", "", ""},
      {"-3", "", "", "", ""},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.runtime, MinutesAsRuntime(c.cell)) << c.cell;
    EXPECT_EQ(c.rate, RatingAsRate(c.cell)) << c.cell;
    EXPECT_EQ(c.mine10, MyRating(c.cell, false)) << c.cell;
    EXPECT_EQ(c.mine5, MyRating(c.cell, true)) << c.cell;
  }
}

TEST(CsvColumnsTest, AnExportRowReadsBackAsTheSameRecord) {
  CsvMovie m;
  m.sTitle = "Alien, the \"first\"";
  m.values = {"A crew.", "=In space", "8.5/10", "1979", "Ridley Scott",
              "117 min", "-seen", "Alien.jpg", " - Sigourney Weaver - Ripley",
              " - Horror - Science Fiction", "@DVD"};
  m.sTmdb = "348";
  m.sImdb = "tt0078748";
  const std::vector<std::string> row = ExportRow(m);
  EXPECT_EQ("Horror, Science Fiction", row[6]);
  EXPECT_EQ("'=In space", row[10]);
  const CsvMovie back = CsvColumns(ExportHeader()).Read(row);
  EXPECT_EQ(m.sTitle, back.sTitle);
  EXPECT_EQ(m.values, back.values);
  EXPECT_EQ(m.sTmdb, back.sTmdb);
  EXPECT_EQ(m.sImdb, back.sImdb);
}

}  // namespace
