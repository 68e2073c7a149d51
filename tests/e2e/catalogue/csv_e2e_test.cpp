// "--export" and "--import" without the movie service: the CSV file's bytes,
// the round trip, the exports of movie sites, and bad input.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

const char kBom[] = "\xEF\xBB\xBF";
const char kHeaderRow[] =
    "Title,Year,Directors,tmdbID,imdbID,Runtime,Genres,Cast,Rate,Plot,"
    "Tagline,Comments,Type,Poster\r\n";

class CsvTest : public FlorrinTest {
 protected:
  // Runs florrin with FLORRIN_LOG set to the test's log file.
  std::string RunLogged(const std::vector<std::string>& args) {
    std::vector<std::string> env = WithoutUserSettings(home_.path());
    env.push_back("FLORRIN_LOG=" + home_.File("log"));
    const RunResult r = RunProgram(FLORRIN_EXE, args, dir_.path(), env);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(0, r.exit_code);
    return r.out;
  }
  std::string Log() {
    return FileExists(home_.File("log")) ? ReadFile(home_.File("log")) : "";
  }
  void Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir_.File(name), bytes);
  }
  // The names in the test's folder, but for the lock file.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = e.path().filename().string();
      if (name != "db.lock") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
  // A record block as --add appends it, with id lines after it.
  static std::string Block(const std::string& name,
                           const std::vector<std::string>& v,
                           const std::string& ids = "") {
    static const char* const kKeys[] = {"plot", "tagline", "rate", "year",
                                        "director", "runtime", "comments",
                                        "pic", "Act", "Genre", "Type"};
    std::string s = "\n\n[" + name + "]";
    for (size_t i = 0; i < v.size(); ++i) s += std::string("\n") + kKeys[i] + "=" + v[i];
    return Written(s + ids);
  }
};

TEST_F(CsvTest, ExportWritesEveryRecordInFileOrder) {
  GivenDb(kHeader +
          Block("Alien", {"A crew, \"meets\" it.", "In space", "8.5/10", "1979",
                          "Ridley Scott", "117 min", "=seen", "Alien.jpg",
                          " - Sigourney Weaver", " - Horror - Science Fiction", "DVD"},
                "\ntmdb=348\nimdb=tt0078748") +
          Block("Brazil", {"", "", "", "1985", "", "", "", "", "", "Drama", " VHS"}));
  EXPECT_EQ("!ok!", Run({"--export", "out.csv"}));
  EXPECT_EQ(std::string(kBom) + kHeaderRow +
                "Alien,1979,Ridley Scott,348,tt0078748,117 min,\"Horror, Science "
                "Fiction\",\" - Sigourney Weaver\",8.5/10,\"A crew, \"\"meets\"\" "
                "it.\",In space,'=seen,DVD,Alien.jpg\r\n"
                "Brazil,1985,,,,,Drama,,,,,,\" VHS\",\r\n",
            ReadFile(dir_.File("out.csv")));
  // Over an older file, and under the short word.
  EXPECT_EQ("!ok!", Run({"-x", "out.csv"}));
  EXPECT_EQ((std::vector<std::string>{"db", "out.csv"}), Files());
  // A catalogue without records gives the header row alone.
  GivenDb(kHeader);
  EXPECT_EQ("!ok!", Run({"-x", "empty.csv"}));
  EXPECT_EQ(std::string(kBom) + kHeaderRow, ReadFile(dir_.File("empty.csv")));
}

TEST_F(CsvTest, ExportRefusesWhatItMustNotOverwrite) {
  const std::string db = kHeader + Block("A", {"1", "", "", "", "", "", "", "", "", "", ""});
  GivenDb(db);
  std::filesystem::create_directory(dir_.File("folder"));
  Write("tmpfl", "scratch");
  for (const std::string& target :
       {std::string("db"), std::string("./db"), dir_.File("db"), std::string("folder"),
        std::string("tmpfl"), std::string("db.lock"), std::string(""),
        std::string("no-such-folder/out.csv")}) {
    EXPECT_EQ("!error!", Run({"--export", target})) << target;
    EXPECT_EQ(db, Db()) << target;
    EXPECT_EQ("scratch", ReadFile(dir_.File("tmpfl")));
  }
  EXPECT_EQ((std::vector<std::string>{"db", "folder", "tmpfl"}), Files());
  std::filesystem::remove(dir_.File("db"));
  EXPECT_EQ("!error!", Run({"--export", "out.csv"}));
  EXPECT_FALSE(Exists("out.csv"));
}

TEST_F(CsvTest, RoundTripGivesEveryFieldAndIdBack) {
  const std::string records =
      Block("Am\xC3\xA9lie, \"the\" one", {"Line; with, all \"sorts\"", "=1+1", "8.3/10", "2001",
                                           "Jean-Pierre Jeunet", "122 min", "-mine",
                                           "Amelie.jpg", " - Audrey Tautou - Am\xC3\xA9lie",
                                           " - Comedy - Romance", "@DVD"},
            "\ntmdb=194\nimdb=tt0211915") +
      Block("Plain", {"", "", "", "", "", "", "", "", "", "", ""}) +
      Block(" spaced ", {" a ", "'quoted'", "", "1999", "", "", "''=x", "",
                         "", " - Film-Noir", ""},
            "\nimdb=tt1234567890");
  GivenDb(kHeader + records);
  ASSERT_EQ("!ok!", Run({"--export", "all.csv"}));
  // Into a new catalogue, where the poster file is.
  GivenDb(kHeader);
  Write("Amelie.jpg", "jpeg");
  ASSERT_EQ("Am\xC3\xA9lie, \"the\" one|Plain| spaced |!ok!", Run({"--import", "all.csv"}));
  EXPECT_EQ(kHeader + records, Db());
  // Twice adds nothing.
  EXPECT_EQ("!ok!", Run({"-i", "all.csv"}));
  EXPECT_EQ(kHeader + records, Db());
}

TEST_F(CsvTest, AnImdbRatingsExportWithoutAKey) {
  GivenDb(kHeader);
  Write("ratings.csv",
        "Const,Your Rating,Date Rated,Title,Original Title,URL,Title Type,IMDb Rating,"
        "Runtime (mins),Year,Genres,Num Votes,Release Date,Directors\r\n"
        "tt0137523,9,2020-01-01,Fight Club,Fight Club,https://www.imdb.com/title/tt0137523/,"
        "Movie,8.8,139,1999,\"Drama, Thriller\",2000000,1999-10-15,David Fincher\r\n"
        "tt0114369,8,2020-01-02,Se7en,Se7en,https://www.imdb.com/title/tt0114369/,"
        "Movie,8.6,127,1995,\"Crime, Drama, Mystery\",1700000,1995-09-22,David Fincher\r\n");
  EXPECT_EQ("Fight Club|Se7en|!ok!", RunLogged({"--import", "ratings.csv"}));
  EXPECT_EQ(kHeader +
                Block("Fight Club", {"", "", "8.8/10", "1999", "David Fincher", "139 min",
                                     "My rating: 9/10", "", "", " - Drama - Thriller", ""},
                      "\nimdb=tt0137523") +
                Block("Se7en", {"", "", "8.6/10", "1995", "David Fincher", "127 min",
                                "My rating: 8/10", "", "", " - Crime - Drama - Mystery", ""},
                      "\nimdb=tt0114369"),
            Db());
  EXPECT_EQ("", Log());
  const std::string before = Db();
  EXPECT_EQ("!ok!", RunLogged({"--import", "ratings.csv"}));
  EXPECT_EQ(before, Db());
  EXPECT_EQ(
      "florrin: ratings.csv: row 1 (Fight Club): the catalogue holds this movie's id already: row skipped\n"
      "florrin: ratings.csv: row 2 (Se7en): the catalogue holds this movie's id already: row skipped\n",
      Log());
}

TEST_F(CsvTest, WhichRowsAreAddedAndUnderWhatName) {
  GivenDb(kHeader + Block("Dune", {"", "", "", "1984", "", "", "", "", "", "", ""}) +
          Block("Heat", {"", "", "", "", "", "", "", "", "", "", ""}));
  Write("list.csv",
        "Name;Year;imdbID;Poster\n"
        "Dune;2021;tt1160419;poster.jpg\n"      // another Dune: by its year
        "Dune;2021;tt0000002;\n"                // that name is taken too
        "Dune;1984;;\n"                         // the same year: the same film
        "Heat;1995;;\n"                         // the record has no year
        ";2000;;\n"                             // no title
        "Bad]Name;2000;;\n"                     // a name no record can hold
        "Twice;2000;tt0000009;\n"
        "Twice again;2000;tt0000009;\n"         // an id this import added
        "Short\n"                               // a ragged row
        "Pic;;;../outside.jpg\n");              // no file of the folder
  Write("poster.jpg", "jpeg");
  EXPECT_EQ("Dune (2021)|Twice|Short|Pic|!ok!", RunLogged({"--import", "list.csv"}));
  EXPECT_EQ("poster.jpg", Run({"--get", "Dune (2021)", "pic"}));
  EXPECT_EQ("", Run({"--get", "Pic", "pic"}));
  EXPECT_EQ("tt1160419", Run({"--get", "Dune (2021)", "imdb"}));
  const std::string log = Log();
  for (const char* line :
       {"row 2 (Dune): the catalogue holds this title already",
        "row 3 (Dune): the catalogue holds this title already",
        "row 4 (Heat): the catalogue holds this title already",
        "row 5: no title", "row 6 (Bad]Name): a name the catalogue cannot hold",
        "row 8 (Twice again): the catalogue holds this movie's id already"}) {
    EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;
  }
}

TEST_F(CsvTest, BadInputGetsAClearResultAndLosesNothing) {
  const std::string db = kHeader + Block("A", {"", "", "", "", "", "", "", "", "", "", ""});
  std::filesystem::create_directory(dir_.File("folder"));
  const struct {
    const char* what;
    std::string file;  // written as in.csv, or a name to import
    std::string out;
  } kCases[] = {
      {"NUL bytes", std::string("Title\nB\nC\0D\n", 12), "!error!"},
      {"UTF-16", std::string("\xFF\xFET\0i\0t\0l\0e\0\n\0", 14), "!error!"},
      {"no title column", "Year,Plot\n1999,x\n", "!error!"},
      {"empty", "", "!error!"},
      {"header only", "Title\r\n", "!ok!"},
  };
  for (const auto& c : kCases) {
    GivenDb(db);
    Write("in.csv", c.file);
    EXPECT_EQ(c.out, RunLogged({"--import", "in.csv"})) << c.what;
    EXPECT_EQ(db, Db()) << c.what;
  }
  for (const std::string& name : {std::string("folder"), std::string("db"), std::string("./db"),
                                  std::string("missing.csv")}) {
    EXPECT_EQ("!error!", Run({"--import", name})) << name;
    EXPECT_EQ(db, Db()) << name;
  }
  // No catalogue: nothing made.
  std::filesystem::remove(dir_.File("db"));
  Write("in.csv", "Title\nB\n");
  EXPECT_EQ("!error!", Run({"--import", "in.csv"}));
  EXPECT_FALSE(Exists("db"));
}

TEST_F(CsvTest, ARowOfAMebibyteIsSkippedAndTheRestAdded) {
  GivenDb(kHeader);
  Write("big.csv", "Title,Plot\nBefore,x\nHuge,\"" + std::string(1 << 20, 'p') +
                       "\"\nAfter,\"y\ny\"\n");
  EXPECT_EQ("Before|After|!ok!", RunLogged({"--import", "big.csv"}));
  EXPECT_EQ("y y", Run({"--get", "After", "plot"}));
  EXPECT_NE(std::string::npos, Log().find("row 2: longer than 1 MiB: row skipped"));
}

TEST_F(CsvTest, RowsPastTheFirstBatchAreDecidedAgainstTheRowsBefore) {
  // Rows are decided in batches of 16 MiB of records: the last rows here
  // come in the second batch, and must still meet the first one's rows.
  GivenDb(kHeader);
  std::string csv = "Title,Year,tmdbID,Plot\nDune,1984,841,\n";
  std::string expected = "Dune|";
  const std::string plot(900 * 1024, 'p');
  for (int i = 0; i < 20; ++i) {
    csv += "Filler " + std::to_string(i) + ",,," + plot + "\n";
    expected += "Filler " + std::to_string(i) + "|";
  }
  csv += "Dune,1984,,\n"          // the same film again, by title and year
         "Dune again,,841,\n"     // by its id
         "Dune,2021,438631,\n";   // another Dune, by its year
  Write("big.csv", csv);
  EXPECT_EQ(expected + "Dune (2021)|!ok!", RunLogged({"--import", "big.csv"}));
  const std::string log = Log();
  for (const char* line :
       {"row 22 (Dune): the catalogue holds this title already",
        "row 23 (Dune again): the catalogue holds this movie's id already"}) {
    EXPECT_NE(std::string::npos, log.find(line)) << line << "\n" << log;
  }
}

TEST_F(CsvTest, RefreshNeedsTheServicesCredential) {
  GivenDb(kHeader + Block("A", {"", "", "", "", "", "", "", "", "", "", ""}, "\ntmdb=603"));
  const std::string db = Db();
  EXPECT_EQ("!error!", RunLogged({"--refresh", "A"}));
  EXPECT_EQ("!error!", RunLogged({"-r", "A", "/movie/603"}));
  EXPECT_EQ(db, Db());
  EXPECT_NE(std::string::npos, Log().find("needs a credential"));
}

TEST_F(CsvTest, TheNewWordsTakeOnlyTheirOwnArgumentCounts) {
  GivenDb(kHeader);
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"--export"}, {"-x", "a", "b"}, {"--import"},
        {"-i", "a", "b"}, {"--refresh"}, {"-r", "a", "b", "c"}, {"--Export", "a"}}) {
    EXPECT_EQ(Written("!err in parameters!\n"), Run(args)) << args[0];
  }
}

}  // namespace
