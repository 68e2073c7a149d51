// The readers of the movie service's answers, on recorded answers and on
// hand-made edges.
#include "service-json.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_util.h"

namespace {

std::string Answer(const std::string& name) {
  return ReadFile(std::string(API_FIXTURES) + "/" + name);
}

ServiceMovie Movie(const std::string& name) {
  ServiceMovie m;
  EXPECT_TRUE(ReadMovieAnswer(Answer(name), &m)) << name;
  return m;
}

}  // namespace

TEST(ServiceRateTest, OneDecimalRoundedLikeACorrectPrintf) {
  const struct {
    double value;
    const char* text;
  } kCases[] = {
      {8.438, "8.4"}, {8.164, "8.2"}, {7.3, "7.3"},  {10, "10.0"},
      {0, "0.0"},     {0.05, "0.1"},  {8.25, "8.2"}, {8.75, "8.8"},
      {6.25, "6.2"},  {7.35, "7.3"},  {9.95, "9.9"}, {9.96, "10.0"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.text, FormatRate(c.value)) << c.value;
}

TEST(ServiceMovieTest, RecordedDetailsWithCredits) {
  const ServiceMovie m = Movie("movie-22855-credits.json");
  EXPECT_EQ(0u, m.sPlot.find("United States President Lex Luthor"));
  EXPECT_NE(std::string::npos, m.sPlot.find("\xE2\x80\x98partner in crime"));
  EXPECT_EQ("", m.sTag);
  EXPECT_EQ("7.3/10", m.sRate);
  EXPECT_EQ("2009", m.sYear);
  EXPECT_EQ("Sam Liu", m.sDir);
  EXPECT_EQ("67 min", m.sTime);
  EXPECT_EQ(" - Action - Adventure - Animation", m.sGen);
  EXPECT_EQ("/7eaHkUKAzfstt6XQCiXyuKiZUAw.jpg", m.sPosterPath);
  // Twenty in the answer, fifteen kept, in the answer's order.
  EXPECT_EQ(0u, m.sAct.find(" - Kevin Conroy - Batman - Timothy Daly - Superman"));
  EXPECT_NE(std::string::npos, m.sAct.find(" - Rachael MacFarlane - Nightshade / Lady Shiva"));
  EXPECT_EQ(std::string::npos, m.sAct.find("Alan Oppenheimer"));
}

TEST(ServiceMovieTest, DetailsWithoutCreditsAndInAnotherLanguage) {
  const ServiceMovie alien = Movie("movie-348.json");
  EXPECT_EQ("8.2/10", alien.sRate);
  EXPECT_EQ("In space no one can hear you scream.", alien.sTag);
  EXPECT_EQ("117 min", alien.sTime);
  EXPECT_EQ("", alien.sDir);  // "credits": null
  EXPECT_EQ("", alien.sAct);
  EXPECT_EQ(" - Horror - Science Fiction", alien.sGen);
  const ServiceMovie fr = Movie("movie-22855-fr.json");
  EXPECT_EQ("65 min", fr.sTime);
  EXPECT_EQ(" - Animation - Action - Aventure", fr.sGen);
  EXPECT_NE(std::string::npos, fr.sPlot.find("d\xC3\xA9sesp\xC3\xA9r\xC3\xA9""e"));
}

TEST(ServiceMovieTest, NullsZerosAndWrongTypesGiveEmptyFields) {
  const ServiceMovie n = Movie("movie-edges-null.json");
  for (const std::string& field :
       {n.sPlot, n.sTag, n.sRate, n.sYear, n.sDir, n.sTime, n.sAct, n.sGen,
        n.sPosterPath})
    EXPECT_EQ("", field);
  const ServiceMovie w = Movie("movie-edges-wrong.json");
  EXPECT_EQ("", w.sPlot);
  EXPECT_EQ("", w.sTag);
  EXPECT_EQ("", w.sRate);  // an average given as text
  EXPECT_EQ("", w.sYear);
  EXPECT_EQ("", w.sTime);  // 0 minutes
  EXPECT_EQ("", w.sPosterPath);
  EXPECT_EQ(" - Crime", w.sGen);
  // Entries without a name are no cast; an empty or null character is left out.
  EXPECT_EQ(" - Solo", w.sAct);
  // "Director" exactly, the first one.
  EXPECT_EQ("Her", w.sDir);
}

TEST(ServiceMovieTest, TextIsUtf8OnOneLine) {
  const ServiceMovie m = Movie("movie-edges-text.json");
  EXPECT_EQ("Line one line two line three end", m.sPlot);
  EXPECT_EQ("Caf\xC3\xA9 \xF0\x9F\x8E\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D", m.sTag);
  EXPECT_EQ("6.2/10", m.sRate);
  EXPECT_EQ("2001", m.sYear);
  EXPECT_EQ("Ji\xC5\x99\xC3\xAD \xC4\x8Euri\xC5\xA1", m.sDir);
  EXPECT_EQ(" - Zo\xC3\xAB \xC3\x85gren - \xC3\x9Cnter", m.sAct);
  EXPECT_EQ("/edge.jpg", m.sPosterPath);
  EXPECT_EQ("a b  c\td", OneLine("a\nb\r\rc\td"));
}

TEST(ServiceMovieTest, FifteenNamedCastEntriesEachWithItsRoleWhenGiven) {
  const ServiceMovie m = Movie("movie-edges-cast.json");
  std::string expected;
  for (int i = 1; i <= 15; ++i) {
    expected += " - Actor " + std::to_string(i);
    if (i % 2) expected += " - Role " + std::to_string(i);
  }
  EXPECT_EQ(expected, m.sAct);
  EXPECT_EQ("8.2/10", m.sRate);
}

TEST(ServiceMovieTest, AnswersThatAreNoMovie) {
  ServiceMovie m;
  for (const char* name : {"movie-no-id.json", "movie-string-id.json",
                           "not-json.txt", "top-array.json",
                           "error-404.QUOTED.json"})
    EXPECT_FALSE(ReadMovieAnswer(Answer(name), &m)) << name;
  EXPECT_FALSE(ReadMovieAnswer("", &m));
  EXPECT_FALSE(ReadMovieAnswer("{\"id\":1", &m));
  EXPECT_FALSE(ReadMovieAnswer("{\"id\":1.5}", &m));
  EXPECT_TRUE(ReadMovieAnswer("{\"id\":1}", &m));
}

TEST(ServiceSearchTest, RecordedResultsInTheServiceOrder) {
  std::vector<ServiceMatch> found;
  ASSERT_TRUE(ReadSearchAnswer(Answer("search-movie-inception.json"), &found));
  ASSERT_EQ(10u, found.size());
  EXPECT_EQ("27205", found[0].sId);
  EXPECT_EQ("Inception", found[0].sTitle);
  EXPECT_EQ("2010", found[0].sYear);
  EXPECT_EQ("", found[2].sYear);  // release_date ""
  EXPECT_NE(std::string::npos, found[1].sTitle.find("\xE2\x80\x93"));
  EXPECT_EQ("\xD0\xAD\xD1\x85\xD0\xBB\xD1\x8D\xD0\xBB", found[4].sOriginalTitle);
  ASSERT_TRUE(ReadSearchAnswer(Answer("search-movie-empty.QUOTED.json"), &found));
  EXPECT_TRUE(found.empty());
}

TEST(ServiceSearchTest, ResultsWithoutANumericIdAreLeftOut) {
  std::vector<ServiceMatch> found;
  ASSERT_TRUE(ReadSearchAnswer(Answer("search-odd.json"), &found));
  ASSERT_EQ(3u, found.size());
  EXPECT_EQ("31", found[0].sId);
  EXPECT_EQ("Line break", found[0].sTitle);
  EXPECT_EQ("", found[1].sTitle);
  EXPECT_EQ("1999", found[1].sYear);
  EXPECT_EQ("Am\xC3\xA9lie \xE2\x80\x93 \xE2\x98\x83", found[2].sTitle);
  for (const char* name : {"search-results-object.json", "not-json.txt",
                           "top-array.json", "error-401-2013.json"})
    EXPECT_FALSE(ReadSearchAnswer(Answer(name), &found)) << name;
}

TEST(ServiceFindTest, TheFirstMovieOfOldAndNewAnswers) {
  sString id;
  ASSERT_TRUE(ReadFindAnswer(Answer("find-tt1375666.json"), &id));
  EXPECT_EQ("27205", id);
  ASSERT_TRUE(ReadFindAnswer(Answer("find-tt0266543.json"), &id));
  EXPECT_EQ("12", id);
  for (const char* name : {"find-none.json", "not-json.txt", "top-array.json",
                           "error-404.QUOTED.json"})
    EXPECT_FALSE(ReadFindAnswer(Answer(name), &id)) << name;
}

TEST(ServiceErrorTest, StatusMessageOfErrorBodies) {
  EXPECT_EQ("Invalid API key - You must be granted a valid key",
            ReadStatusMessage(Answer("error-401-2013.json")));
  EXPECT_EQ("The resource you requested could not be found.",
            ReadStatusMessage(Answer("error-404.QUOTED.json")));
  EXPECT_EQ("", ReadStatusMessage(Answer("not-json.txt")));
  EXPECT_EQ("", ReadStatusMessage("{\"status_message\":7}"));
}

TEST(ServiceMovieTest, TheMoviesIdsOnlyInTheirStoredForms) {
  const struct {
    std::string body;
    const char* tmdb;
    const char* imdb;
  } kCases[] = {
      {Answer("movie-22855-credits.json"), "22855", "tt1398941"},
      {Answer("movie-edges-null.json"), "900001", ""},
      {R"({"id": 7, "imdb_id": "tt12345678"})", "7", "tt12345678"},
      {R"({"id": 7, "imdb_id": "tt1234567890"})", "7", "tt1234567890"},
      {R"({"id": 7, "imdb_id": "tt123456"})", "7", ""},
      {R"({"id": 7, "imdb_id": "tt12345678901"})", "7", ""},
      {R"({"id": 7, "imdb_id": "nm0000001"})", "7", ""},
      {R"({"id": 7, "imdb_id": 133093})", "7", ""},
      {R"({"id": 7, "imdb_id": ""})", "7", ""},
  };
  for (const auto& c : kCases) {
    ServiceMovie m;
    ASSERT_TRUE(ReadMovieAnswer(c.body, &m)) << c.body;
    EXPECT_EQ(c.tmdb, m.sTmdbId) << c.body;
    EXPECT_EQ(c.imdb, m.sImdbId) << c.body;
  }
}
