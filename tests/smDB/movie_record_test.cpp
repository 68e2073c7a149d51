// Whole movie records with their id lines: read, appended in batches,
// rewritten; and --change keeping the ids.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "movie-record.h"
#include "smDB.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";

std::string Body(const std::string& p) {
  return "plot=" + p + "1\ntagline=" + p + "2\nrate=" + p + "3\nyear=" + p +
         "4\ndirector=" + p + "5\nruntime=" + p + "6\ncomments=" + p +
         "7\npic=" + p + "8\nAct=" + p + "9\nGenre=" + p + "10\nType=" + p +
         "11";
}

MovieRecord Movie(const std::string& name, const std::string& p,
                  const std::string& tmdb = "", const std::string& imdb = "") {
  MovieRecord m;
  m.sName = name;
  for (int i = 0; i < kFieldCount; ++i) m.values[i] = p + std::to_string(i + 1);
  m.sTmdb = tmdb;
  m.sImdb = imdb;
  return m;
}

class MovieRecordTest : public ::testing::Test {
 protected:
  MovieRecordTest() : cwd_(dir_.path()) {}
  std::vector<MovieRecord> Scan() {
    std::vector<MovieRecord> all;
    EXPECT_TRUE(ScanMovies("db", [&](const MovieRecord& m) {
      all.push_back(m);
      return true;
    }));
    return all;
  }
  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_F(MovieRecordTest, ChangeKeepsTheIdLinesAfterTheElevenFields) {
  const struct {
    const char* what;
    std::string before;
    std::string after;
  } kCases[] = {
      {"both ids, other lines dropped",
       "\n\n[A]\n" + Body("a") + "\nimdb=tt0133093\nextra=1\ntmdb=603",
       "\n\n[A]\n" + Written(Body("c") + "\ntmdb=603\nimdb=tt0133093\n\n")},
      {"only imdb", "\n\n[A]\n" + Body("a") + "\nimdb=tt0133093",
       "\n\n[A]\n" + Written(Body("c") + "\nimdb=tt0133093\n\n")},
      {"ids as they were, even of another form",
       "\n\n[A]\n" + Body("a") + "\ntmdb=x1\ntmdb=2",
       "\n\n[A]\n" + Written(Body("c") + "\ntmdb=x1\n\n")},
      {"no ids: as before", "\n\n[A]\n" + Body("a"),
       "\n\n[A]\n" + Written(Body("c") + "\n\n")},
      {"next record untouched",
       "\n\n[A]\n" + Body("a") + "\ntmdb=1\n\n[B]\n" + Body("b") + "\ntmdb=2",
       "\n\n[A]\n" + Written(Body("c") + "\ntmdb=1\n\n") + "[B]\n" + Body("b") +
           "\ntmdb=2" + kEol},
  };
  for (const auto& c : kCases) {
    WriteFile("db", kHeader + c.before);
    smDB db;
    ASSERT_TRUE(db.open("db"));
    EXPECT_TRUE(db.changeRec("A", "c1", "c2", "c3", "c4", "c5", "c6", "c7",
                             "c8", "c9", "c10", "c11"))
        << c.what;
    EXPECT_EQ(kHeader + c.after, ReadFile("db")) << c.what;
    EXPECT_FALSE(FileExists("tmpfl"));
  }
}

TEST_F(MovieRecordTest, ScanReadsEveryRecordWithItsIds) {
  WriteFile("db", kHeader + "plot=before any record\n\n[A]\n" + Body("a") +
                      "\ntmdb=603\r\nimdb=tt0133093\n\n[B] x\nplot=only\n"
                      "plot=second\n[C]");
  const std::vector<MovieRecord> all = Scan();
  ASSERT_EQ(3u, all.size());
  EXPECT_EQ("A", all[0].sName);
  EXPECT_EQ("a1", all[0].values[kPlot]);
  EXPECT_EQ("a11", all[0].values[kType]);
  EXPECT_EQ("603", all[0].sTmdb);
  EXPECT_EQ("tt0133093", all[0].sImdb);
  EXPECT_EQ("B", all[1].sName);
  EXPECT_EQ("only", all[1].values[kPlot]);  // the first line of a key
  EXPECT_EQ("", all[1].values[kYear]);
  EXPECT_EQ("C", all[2].sName);
  MovieRecord b;
  ASSERT_TRUE(ReadMovie("db", "B", &b));
  EXPECT_EQ("only", b.values[kPlot]);
  EXPECT_FALSE(ReadMovie("db", "Nobody", &b));
  EXPECT_FALSE(ScanMovies("missing", [](const MovieRecord&) { return true; }));
}

TEST_F(MovieRecordTest, AppendWritesEachBlockWithItsIdsAllOrNothing) {
  WriteFile("db", kHeader);
  EXPECT_TRUE(AppendMovies("db", {Movie("A", "a", "603", "tt0133093"),
                                  Movie("B", "b"), Movie("C", "c", "", "tt1")}));
  EXPECT_EQ(kHeader + Written("\n\n[A]\n" + Body("a") +
                              "\ntmdb=603\nimdb=tt0133093\n\n[B]\n" + Body("b") +
                              "\n\n[C]\n" + Body("c") + "\nimdb=tt1"),
            ReadFile("db"));
  const std::string before = ReadFile("db");
  const std::vector<MovieRecord> kBad[] = {
      {Movie("D", "d"), Movie("", "e")},
      {Movie("D", "d"), Movie("E]", "e")},
      {Movie("D", "d"), Movie("E", "e\nplot=x")},
      {Movie("D", "d", "1\n[X]")},
  };
  for (const auto& batch : kBad) {
    EXPECT_FALSE(AppendMovies("db", batch));
    EXPECT_EQ(before, ReadFile("db"));
  }
}

TEST_F(MovieRecordTest, RewriteSetsTheGivenIds) {
  WriteFile("db", kHeader + "\n\n[A]\n" + Body("a") + "\ntmdb=1\nimdb=tt0000001");
  EXPECT_TRUE(RewriteMovie("db", Movie("A", "n", "", "tt0133093")));
  EXPECT_EQ(kHeader + "\n\n[A]\n" + Written(Body("n") + "\nimdb=tt0133093\n\n"),
            ReadFile("db"));
  EXPECT_FALSE(RewriteMovie("db", Movie("Z", "n")));
  EXPECT_FALSE(FileExists("tmpfl"));
}

// The keys pass agrees with the whole-record reader on every record, with
// lines and records falling across the edges of blocks of any size.
TEST_F(MovieRecordTest, KeysAreWhatTheWholeRecordReaderFinds) {
  const struct {
    const char* what;
    std::string text;
  } kCases[] = {
      {"records with ids", "\n\n[A]\n" + Body("a") + "\ntmdb=603\nimdb=tt1" +
                               "\n\n[B b]\n" + Body("b") + "\n"},
      {"CR LF, last line without end",
       "\r\n\r\n[A]\r\nyear=1999\r\npic=a.jpg\r\ntmdb=7\r\n\r\n[B]\r\nyear=2"},
      {"first line of each key counts; look-alike keys are others",
       "\n[A]\nyearly=1\nyear=2\nyear=3\npicture=x\npic=\npic=p\n"
       "tmdbx=1\ntmdb=5\ntmdb=6\nimdb\nimdb=tt9\n"},
      {"lines before the first header, a header without a bracket",
       "year=1\npic=x\n[A\nyear=2\n[B] trailing\ntmdb=4\n"},
      {"empty records and a header at the very end", "[A]\n[B]\n\n[C]"},
      {"long values", "[A]\nplot=" + std::string(300, 'p') + "\npic=" +
                          std::string(200, 'q') + "\nyear=" +
                          std::string(90, '1') + "\n"},
  };
  for (const auto& c : kCases) {
    WriteFile("db", kHeader + c.text);
    std::vector<std::vector<std::string>> want;
    ASSERT_TRUE(ScanMovies("db", [&](const MovieRecord& m) {
      want.push_back({m.sName, m.values[kYear], m.sTmdb, m.sImdb,
                      m.values[kPic]});
      return true;
    }));
    for (size_t block : {size_t{1}, size_t{2}, size_t{5}, size_t{13},
                         size_t{0}}) {
      std::vector<std::vector<std::string>> got;
      ASSERT_TRUE(ScanMovieKeys(
          "db",
          [&](const MovieKeys& k) {
            got.push_back({std::string(k.sName), std::string(k.sYear),
                           std::string(k.sTmdb), std::string(k.sImdb),
                           std::string(k.sPic)});
          },
          block));
      EXPECT_EQ(want, got) << c.what << ", block " << block;
    }
  }
  EXPECT_FALSE(ScanMovieKeys("missing", [](const MovieKeys&) {}));
}

}  // namespace
