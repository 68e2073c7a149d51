// Reading every record of the catalogue for the page.
#include "catalogue-movies.h"

#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

// A record as "title|plot|pic|Genre".
std::vector<std::string> Rows(const CatalogueMovies& movies) {
  std::vector<std::string> rows;
  for (size_t i = 0; i < movies.size(); ++i) {
    rows.push_back(std::string(movies.Title(i)) + "|" +
                   std::string(movies.Value(i, MovieField::kPlot)) + "|" +
                   std::string(movies.Value(i, MovieField::kPic)) + "|" +
                   std::string(movies.Value(i, MovieField::kGenre)));
  }
  return rows;
}

struct ReadCase {
  const char* what;
  std::string file;
  std::vector<std::string> rows;
};

TEST(CatalogueMoviesTest, RecordsByTheListingsRules) {
  const std::string h = "1.0.0-TALVERO_sTxtDB\n";
  const ReadCase cases[] = {
      {"two records", h + "\n\n[Alien]\nplot=p1\npic=A.jpg\n\n[Brazil]\nGenre=g",
       {"Alien|p1|A.jpg|", "Brazil|||g"}},
      {"only a line that begins with [ heads a record",
       h + "[A]\nplot=The [Nostromo] crew\n x[B]\nGenre=g",
       {"A|The [Nostromo] crew||g"}},
      {"a later key wins", h + "[A]\nplot=one\nplot=two", {"A|two||"}},
      {"pic drops every CR, other values keep theirs",
       h + "[A]\nplot=a\rb\npic=A\r.jpg\r\r\n", {"A|a\rb|A.jpg|"}},
      {"CR LF line ends", "x\r\n[A]\r\nplot=p\r\nGenre=g\r\n", {"A|p||g"}},
      {"lines before the first record belong to none",
       "plot=stray\n[A]\n", {"A|||"}},
      {"a header without ] is named by its whole line",
       "[Open ended\nplot=p", {"[Open ended|p||"}},
      {"text after ] and other keys are ignored",
       "[A] extra\nPlot=no\nplot=yes\ncolour=red", {"A|yes||"}},
      {"a value holding =", "[A]\nplot=a=b", {"A|a=b||"}},
      {"the same title twice is two records", "[A]\n[A]\nplot=2",
       {"A|||", "A|2||"}},
      {"no records", h, {}},
  };
  for (const ReadCase& c : cases) {
    TempDir dir;
    WriteFile(dir.File("db"), c.file);
    CatalogueMovies movies;
    bool bMissing = true;
    ASSERT_TRUE(movies.Read(dir.File("db"), &bMissing)) << c.what;
    EXPECT_FALSE(bMissing);
    EXPECT_EQ(c.rows, Rows(movies)) << c.what;
  }
}

TEST(CatalogueMoviesTest, MissingAndUnreadable) {
  TempDir dir;
  CatalogueMovies movies;
  bool bMissing = false;
  EXPECT_FALSE(movies.Read(dir.File("db"), &bMissing));
  EXPECT_TRUE(bMissing);
  // A folder where the catalogue should be: there, but not readable.
  EXPECT_FALSE(movies.Read(dir.path(), &bMissing));
  EXPECT_FALSE(bMissing);
  EXPECT_EQ(0u, movies.size());
}

TEST(CatalogueMoviesTest, LongLinesAcrossReadBlocks) {
  TempDir dir;
  const std::string plot(300000, 'p');
  std::string file = "[First]\nplot=" + plot + "\n";
  for (int i = 0; i < 2000; ++i) file += "[M" + std::to_string(i) + "]\npic=x\n";
  WriteFile(dir.File("db"), file);
  CatalogueMovies movies;
  bool bMissing;
  ASSERT_TRUE(movies.Read(dir.File("db"), &bMissing));
  ASSERT_EQ(2001u, movies.size());
  EXPECT_EQ(plot, movies.Value(0, MovieField::kPlot));
  EXPECT_EQ("M1999", movies.Title(2000));
  EXPECT_EQ("x", movies.Value(2000, MovieField::kPic));
}

}  // namespace
