// The forms of the ids a record keeps.
#include "movie-ids.h"

#include <gtest/gtest.h>

namespace {

TEST(MovieIdsTest, OnlyTheStoredFormsAreIds) {
  const struct {
    const char* text;
    bool tmdb;
    bool imdb;
  } kCases[] = {
      {"603", true, false},          {"000000000001", true, false},
      {"1234567890123", false, false}, {"", false, false},
      {"60 3", false, false},        {"-603", false, false},
      {"tt0133093", false, true},    {"tt1234567890", false, true},
      {"tt123456", false, false},    {"tt12345678901", false, false},
      {"TT0133093", false, false},   {"tt013309x", false, false},
      {"nm0000001", false, false},   {"tt0133093 ", false, false},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.tmdb, IsTmdbId(c.text)) << c.text;
    EXPECT_EQ(c.imdb, IsImdbId(c.text)) << c.text;
  }
}

TEST(MovieIdsTest, TheSiteIdInAnAddress) {
  const struct {
    const char* text;
    const char* id;
  } kCases[] = {
      {"https://www.imdb.com/title/tt0137523/", "tt0137523"},
      {"https://www.imdb.com/title/tt0137523", "tt0137523"},
      {"http://m.imdb.com/title/tt10872600/?ref_=x", "tt10872600"},
      {"tt0137523", "tt0137523"},
      {"https://letterboxd.com/film/fight-club/", ""},
      {"https://www.imdb.com/title/tt013752/", ""},
      {"https://www.imdb.com/title/tt0137523x/", ""},
      {"https://www.imdb.com/name/nm0000093/", ""},
      {"/title/x/ then /title/tt0137523/", "tt0137523"},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.id, ImdbIdIn(c.text)) << c.text;
}

}  // namespace
