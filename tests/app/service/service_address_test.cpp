// Which addresses name a movie of the service, and the query's words.
#include "service-address.h"

#include <gtest/gtest.h>

TEST(ServiceAddressTest, AddressesOfTheServicesMovies) {
  const struct {
    const char* address;
    AddressKind kind;
    const char* id;
  } kCases[] = {
      {"https://www.themoviedb.org/movie/603-the-matrix", AddressKind::kMovieId, "603"},
      {"themoviedb.org/movie/603", AddressKind::kMovieId, "603"},
      {"/movie/603", AddressKind::kMovieId, "603"},
      {"http://x.org/en/movie/42?language=de#top", AddressKind::kMovieId, "42"},
      {"http://www.imdb.com/title/tt0133093/", AddressKind::kImdbId, "tt0133093"},
      {"https://m.imdb.com/title/tt0133093/?ref_=x", AddressKind::kImdbId, "tt0133093"},
      {"www.imdb.com/title/tt10872600/", AddressKind::kImdbId, "tt10872600"},
      {"tt0133093", AddressKind::kImdbId, "tt0133093"},
      {"tt1234567890", AddressKind::kImdbId, "tt1234567890"},
      {"https://www.imdb.com/title/tt123456789/", AddressKind::kImdbId, "tt123456789"},
  };
  for (const auto& c : kCases) {
    sString id;
    EXPECT_EQ(c.kind, ClassifyAddress(c.address, &id)) << c.address;
    EXPECT_EQ(c.id, id) << c.address;
  }
}

TEST(ServiceAddressTest, EverythingElseIsTheSitesPage) {
  for (const char* address :
       {"http://www.imdb.com/title/tt123456/",
        "http://www.imdb.com/title/tt12345678901/", "http://movie/603",
        "/movie/abc", "/movies/603", "tt013309", "tt0133093/", "",
        "https://x.org/?p=/movie/603", "/movie/", "--input-file=urls",
        "/movie/1234567890123"}) {
    sString id = "unchanged";
    EXPECT_EQ(AddressKind::kOther, ClassifyAddress(address, &id)) << address;
  }
}

TEST(ServiceAddressTest, QueryWordsArePercentEncodedUtf8) {
  EXPECT_EQ("Harbour%20Lights", PercentEncode("Harbour Lights"));
  EXPECT_EQ("Am%C3%A9lie%20%26%20co%3F%2B%25~._-", PercentEncode("Am\xC3\xA9lie & co?+%~._-"));
  EXPECT_EQ("", PercentEncode(""));
}

TEST(ServiceAddressTest, AYearInParenthesesAtTheEndIsAHint) {
  sString words, year;
  ASSERT_TRUE(SplitYearHint("House (1977)", &words, &year));
  EXPECT_EQ("House", words);
  EXPECT_EQ("1977", year);
  for (const char* title : {"House", "House(1977)", "House (77)", "House (1977) ",
                            "House (19a7)", " (1977)", "(1977)"}) {
    words = year = "unchanged";
    EXPECT_FALSE(SplitYearHint(title, &words, &year)) << title;
    EXPECT_EQ("unchanged", words) << title;
  }
}

TEST(ServiceAddressTest, TitlesCompareWithoutAsciiCase) {
  EXPECT_TRUE(SameTitle("The MATRIX", "the matrix"));
  EXPECT_FALSE(SameTitle("\xC3\x89t\xC3\xA9", "\xC3\xA9t\xC3\xA9"));
  EXPECT_FALSE(SameTitle("Matrix", "Matrix "));
}
