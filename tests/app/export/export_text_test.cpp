// The catalogue's text as UTF-8 and the Genre field as a list of names.
#include "catalogue-utf8.h"
#include "genres.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"

namespace {

struct Utf8Case {
  const char* what;
  std::string in;
  std::string out;
};

TEST(CatalogueUtf8Test, ValidUtf8StaysAndOtherBytesReadAsWindows1252) {
  const Utf8Case cases[] = {
      {"ASCII", "Alien (1979)", "Alien (1979)"},
      {"two-byte UTF-8", "Am\xC3\xA9lie", "Am\xC3\xA9lie"},
      {"four-byte UTF-8", "\xF0\x9F\x8E\xAC", "\xF0\x9F\x8E\xAC"},
      {"Latin-1 letter", "Am\xE9lie", "Am\xC3\xA9lie"},
      {"Windows-1252 quotes", "\x93Hi\x94", "\xE2\x80\x9CHi\xE2\x80\x9D"},
      {"euro sign", "\x80", "\xE2\x82\xAC"},
      {"unassigned byte", "a\x81z", "a\xEF\xBF\xBDz"},
      {"sequence cut short", "\xC3", "\xC3\x83"},
      {"overlong slash", "\xC0\xAF", "\xC3\x80\xC2\xAF"},
      {"surrogate half", "\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
      {"past U+10FFFF", "\xF4\x90\x80\x80",
       "\xC3\xB4\xEF\xBF\xBD\xE2\x82\xAC\xE2\x82\xAC"},
      {"NUL and controls kept", std::string("a\0\tb", 4),
       std::string("a\0\tb", 4)},
  };
  for (const Utf8Case& c : cases) {
    EXPECT_EQ(Utf8OrWindows1252(c.in), c.out) << c.what;
  }
}

struct GenreCase {
  const char* in;
  std::vector<std::string> names;
};

TEST(GenresTest, SplitsAtSpacedHyphensOnly) {
  const GenreCase cases[] = {
      {" - Action - Drama", {"Action", "Drama"}},
      {" - Drama -  - Mystery", {"Drama", "Mystery"}},
      {"Horror - Sci-Fi", {"Horror", "Sci-Fi"}},
      {"Drama -", {"Drama"}},
      {"  ", {}},
      {"", {}},
      {" - Film-Noir ", {"Film-Noir"}},
  };
  for (const GenreCase& c : cases) {
    EXPECT_EQ(SplitGenres(c.in), c.names) << '"' << c.in << '"';
  }
}

TEST(GenresTest, JoinGivesTheFormImportsStore) {
  EXPECT_EQ(JoinGenres({"Action", "Drama"}), " - Action - Drama");
  EXPECT_EQ(JoinGenres({}), "");
  EXPECT_EQ(SplitGenres(JoinGenres({"Sci-Fi", "War"})),
            (std::vector<std::string>{"Sci-Fi", "War"}));
}

}  // namespace
