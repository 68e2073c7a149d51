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

// The split as first written: pad the value with a space on each side and
// cut at every " - " found from the left, its second space kept for the
// next search.
std::vector<std::string> PaddedSplit(const std::string& sGenre) {
  std::vector<std::string> names;
  const std::string padded = " " + sGenre + " ";
  size_t from = 0;
  for (;;) {
    const size_t at = padded.find(" - ", from);
    std::string name = padded.substr(
        from, at == std::string::npos ? std::string::npos : at - from);
    name.erase(0, name.find_first_not_of(' '));
    name.erase(name.find_last_not_of(' ') + 1);
    if (!name.empty()) names.push_back(name);
    if (at == std::string::npos) break;
    from = at + 2;
  }
  return names;
}

TEST(GenresTest, ViewsSplitAsThePaddedSearchForEveryShortValue) {
  // Every value of up to seven bytes of space, hyphen and a letter: all the
  // ways separators can touch, overlap and meet the value's ends.
  const char kBytes[] = {' ', '-', 'a'};
  std::vector<std::string_view> views;
  for (int len = 0; len <= 7; ++len) {
    int iCount = 1;
    for (int i = 0; i < len; ++i) iCount *= 3;
    for (int code = 0; code < iCount; ++code) {
      std::string value;
      for (int i = 0, c = code; i < len; ++i, c /= 3) value += kBytes[c % 3];
      SplitGenreViews(value, &views);
      EXPECT_EQ(PaddedSplit(value),
                std::vector<std::string>(views.begin(), views.end()))
          << '"' << value << '"';
    }
  }
}

TEST(GenresTest, JoinGivesTheFormImportsStore) {
  EXPECT_EQ(JoinGenres({"Action", "Drama"}), " - Action - Drama");
  EXPECT_EQ(JoinGenres({}), "");
  EXPECT_EQ(SplitGenres(JoinGenres({"Sci-Fi", "War"})),
            (std::vector<std::string>{"Sci-Fi", "War"}));
}

}  // namespace
