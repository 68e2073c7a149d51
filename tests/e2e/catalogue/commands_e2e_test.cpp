// Each catalogue command's output and its effect on the catalogue's bytes.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

const std::string kTwo = kHeader + "\n\n[First]\n" + MovieBody("a") +
                         "\n\n[Second]\n" + MovieBody("b");

class CommandsTest : public FlorrinTest {};

TEST_F(CommandsTest, StartingFromTheHeaderLineAddingBuildsTheCatalogue) {
  GivenDb(kHeader);
  EXPECT_EQ("", Run({"--list"}));
  EXPECT_EQ("", Run({"--listbyname"}));
  EXPECT_EQ("!ok!", Run(Movie("--add", "First", "a")));
  EXPECT_EQ("!ok!", Run(Movie("--add", "Second", "b")));
  EXPECT_EQ(kHeader + Written(kTwo.substr(kHeader.size())), Db());
  EXPECT_EQ("First|Second|", Run({"--list"}));
}

TEST_F(CommandsTest, AddOfATakenNameFailsAndChangesNothing) {
  GivenDb(kTwo);
  EXPECT_EQ("!error!", Run(Movie("--add", "First", "z")));
  EXPECT_EQ("!error!", Run(Movie("--add", "", "z")));
  EXPECT_EQ(kTwo, Db());
}

TEST_F(CommandsTest, GetPrintsTheBareValue) {
  GivenDb(kTwo + "\nempty=\r\nodd=a=b\r");
  EXPECT_EQ("b9", Run({"--get", "Second", "Act"}));
  EXPECT_EQ("", Run({"--get", "Second", "empty"}));
  EXPECT_EQ("a=b\r", Run({"--get", "Second", "odd"}));  // a lone CR stays
  EXPECT_EQ("!error!", Run({"--get", "Second", "nofield"}));
  EXPECT_EQ("!error!", Run({"--get", "Third", "plot"}));
  EXPECT_EQ("!error!", Run({"--get", "First", "empty"}));  // not in its body
}

TEST_F(CommandsTest, EditReplacesOneLineAndEndsTheFile) {
  GivenDb(kTwo);
  EXPECT_EQ("!ok!", Run({"--edit", "Second", "Type", "DVD"}));
  std::string want = kTwo;
  want.replace(want.size() - 3, 3, "DVD" + std::string(kEol));
  EXPECT_EQ(want, Db());
  EXPECT_EQ("!error!", Run({"--edit", "Second", "newfield", "x"}));
  EXPECT_EQ("!error!", Run({"--edit", "Nobody", "plot", "x"}));
  EXPECT_EQ(want, Db());
  EXPECT_FALSE(Exists("tempout"));
}

TEST_F(CommandsTest, ChangeRewritesTheBody) {
  GivenDb(kTwo);
  EXPECT_EQ("!ok!", Run(Movie("--change", "First", "c")));
  const std::string first =
      kHeader + "\n\n[First]\n" + Written(MovieBody("c") + "\n\n");
  EXPECT_EQ(first + "[Second]\n" + MovieBody("b") + kEol, Db());
  EXPECT_EQ("!ok!", Run(Movie("--change", "Second", "d")));
  EXPECT_EQ(first + "[Second]\n" + Written(MovieBody("d") + "\n\n"), Db());
  const std::string db = Db();
  EXPECT_EQ("!error! Could not change record.",
            Run(Movie("--change", "Nobody", "e")));
  EXPECT_EQ(db, Db());
  EXPECT_FALSE(Exists("tmpfl"));
}

TEST_F(CommandsTest, NamesNoRecordCanHoldAreNeitherDeletedNorEdited) {
  // An empty name or one holding "]" would otherwise match a line that is
  // no header at all (an empty line) and drop it with what follows.
  GivenDb(kTwo);
  for (const char* name : {"", "First]", "]"}) {
    EXPECT_EQ("!error!", Run({"--del", name})) << name;
    EXPECT_EQ("!error!", Run({"--edit", name, "plot", "x"})) << name;
  }
  EXPECT_EQ(kTwo, Db());
}

TEST_F(CommandsTest, DelRemovesTheRecord) {
  GivenDb(kTwo);
  EXPECT_EQ("!ok!", Run({"--del", "First"}));
  EXPECT_EQ(kHeader + "\n\n[Second]\n" + MovieBody("b") + kEol, Db());
  EXPECT_EQ("!error!", Run({"--del", "First"}));
  EXPECT_EQ("!ok!", Run({"--del", "Second"}));
  EXPECT_EQ(kHeader + "\n\n", Db());
  EXPECT_EQ("", Run({"--list"}));
  EXPECT_FALSE(Exists("tmpfl"));
}

TEST_F(CommandsTest, PrintRecAndFilter) {
  GivenDb(kTwo + "\n\n[Third]\nGenre=Melodrama\npic=x.jpg\r");
  EXPECT_EQ("a1|a2|a3|a4|a5|a6|a7|a8|a9|a10|a11|", Run({"--printrec", "First"}));
  EXPECT_EQ("|||||||x.jpg||Melodrama||", Run({"--printrec", "Third"}));
  EXPECT_EQ("!error!", Run({"--printrec", "Fourth"}));
  EXPECT_EQ("Third|", Run({"--filter", "Genre", "DRAMA"}));
  EXPECT_EQ("First|Second|", Run({"--filter", "plot", ""}));
  EXPECT_EQ("", Run({"--filter", "plot", "nothing like it"}));
}

TEST_F(CommandsTest, FilterReportsMatchesUnderTheRecordsOwnTitle) {
  GivenDb(kHeader + "\n\n[Alien]\nplot=The [Nostromo] crew\nGenre=Horror\n"
                    "Act=[x]\n\n[Brazil]\nGenre=Drama");
  EXPECT_EQ("Alien|", Run({"--filter", "Genre", "horror"}));
  EXPECT_EQ("Alien|", Run({"--filter", "Act", "x"}));
}

TEST_F(CommandsTest, ListingsShowBracketNamesOfLinesStartingWithBracket) {
  GivenDb(kHeader + "[b]\n[A] x\n [not]\n[a]b]\n[open\n[]\n[");
  EXPECT_EQ("b|A|a|[open||[|", Run({"--list"}));
  EXPECT_EQ("|A|[|[open|a|b|", Run({"--listbyname"}));
}

TEST_F(CommandsTest, ListByNameKeepsDuplicatesAndSortsBytesUnsigned) {
  GivenDb(kHeader + "[\xc3\xa9]\n[z]\n[Z]\n[z]\n[1]");
  EXPECT_EQ("1|Z|z|z|\xc3\xa9|", Run({"--listbyname"}));
}

TEST_F(CommandsTest, ListByNameSortsNamesAlikeFarIntoThem) {
  // Names that all begin alike, that stay alike for more than eight bytes
  // after that, that begin others, or go on with a NUL or a byte above 127.
  const std::string nul(1, '\0');
  GivenDb(kHeader + "[Movie 0000000012b]\n[Movie 0000000012a]\n" +
          "[Movie 00000000]\n[Movie 0000000012]\n[Movie 00000000\xff]\n" +
          "[Movie 00000000" + nul + "]\n[Movie 0]");
  EXPECT_EQ("Movie 0|Movie 00000000|Movie 00000000" + nul +
                "|Movie 0000000012|Movie 0000000012a|Movie 0000000012b|"
                "Movie 00000000\xff|",
            Run({"--listbyname"}));
}

TEST_F(CommandsTest, ListingsOfALargeCatalogue) {
  // Far more than one read block, with lines of every length.
  std::string db = kHeader, list, plots;
  std::vector<std::string> names;
  for (int i = 0; i < 4000; ++i) {
    std::string name = "T" + std::to_string((i * 7919) % 4000);
    db += "\n\n[" + name + "]\nplot=" +
          std::string(static_cast<size_t>(i * 31 % 700), 'p') + "\nGenre=g";
    list += name + "|";
    names.push_back(name);
  }
  GivenDb(db);
  EXPECT_EQ(list, Run({"--list"}));
  std::sort(names.begin(), names.end());
  std::string sorted;
  for (const std::string& name : names) sorted += name + "|";
  EXPECT_EQ(sorted, Run({"--listbyname"}));
  EXPECT_EQ(list, Run({"--filter", "Genre", "G"}));
}

TEST_F(CommandsTest, ACtrlZInAValueHidesNothingAndLosesNothing) {
  // Byte 0x1A ends a file that is read in text mode on Windows.
  const std::string first = kHeader + "\n\n[First]\nplot=before\x1a" "after\n";
  const std::string second = "\n[Second]\nplot=b\nyear=2";
  GivenDb(first + "year=1\n" + second);
  EXPECT_EQ("First|Second|", Run({"--list"}));
  EXPECT_EQ("First|Second|", Run({"--listbyname"}));
  EXPECT_EQ("2", Run({"--get", "Second", "year"}));
  EXPECT_EQ("before\x1a" "after", Run({"--get", "First", "plot"}));
  EXPECT_EQ("Second|", Run({"--filter", "year", "2"}));
  EXPECT_EQ("!ok!", Run({"--edit", "First", "year", "9"}));
  EXPECT_EQ(first + Written("year=9\n") + second + kEol, Db());
  EXPECT_EQ("!ok!", Run({"--del", "Second"}));
  EXPECT_EQ(first + Written("year=9\n") + "\n", Db());
}

TEST_F(CommandsTest, ACatalogueWrittenOnWindowsReadsTheSameEverywhere) {
  const std::string top =
      "1.0.0-TALVERO_sTxtDB\r\n\r\n\r\n[Alien]\r\nplot=p\r\nyear=1979\r\n";
  const std::string rest = "note=\r\n[open\r\nyear=2001";
  GivenDb(top + "\r\n[Heat]\r\nyear=1995\r\n" + rest);
  EXPECT_EQ("1979", Run({"--get", "Alien", "year"}));
  EXPECT_EQ("2001", Run({"--get", "[open", "year"}));
  EXPECT_EQ("Alien|Heat|[open|", Run({"--list"}));
  EXPECT_EQ("Alien|Heat|[open|", Run({"--listbyname"}));
  EXPECT_EQ("p|||1979||||||||", Run({"--printrec", "Alien"}));
  EXPECT_EQ("Alien|Heat|", Run({"--filter", "year", "9"}));
  EXPECT_EQ("[open|", Run({"--filter", "year", "2001"}));
  EXPECT_EQ("", Run({"--filter", "note", ""}));  // an empty value holds nothing
  EXPECT_EQ("!error!", Run(Movie("--add", "Alien", "x")));
  EXPECT_EQ("!ok!", Run({"--edit", "Heat", "year", "1996"}));
  EXPECT_EQ(top + "\r\n[Heat]\r\n" + Written("year=1996\n") + rest + kEol,
            Db());
}

// --- error paths ---

TEST_F(CommandsTest, WithoutACatalogueEveryCommandFailsWithItsMarker) {
  EXPECT_EQ("No DB file found. !error!", Run({"--list"}));
  EXPECT_EQ("No DB file found. !error!", Run({"--listbyname"}));
  EXPECT_EQ("!error!", Run({"--del", "a"}));
  EXPECT_EQ("!error!", Run({"--get", "a", "plot"}));
  EXPECT_EQ("!error!", Run({"--edit", "a", "plot", "x"}));
  EXPECT_EQ("!error!", Run(Movie("--add", "a", "x")));
  EXPECT_EQ("!error! Could not open DataBase.",
            Run(Movie("--change", "a", "x")));
  EXPECT_EQ("!error!", Run({"--printrec", "a"}));
  EXPECT_EQ("!error!", Run({"--filter", "plot", "x"}));
  EXPECT_FALSE(Exists("db"));
}

TEST_F(CommandsTest, WithoutACatalogueChangingCommandsLeaveNoFileBehind) {
  // The web imports fail at the catalogue before any download.
  const std::vector<std::vector<std::string>> runs = {
      {"--del", "a"},
      {"--edit", "a", "plot", "x"},
      Movie("--add", "a", "x"),
      Movie("--change", "a", "x"),
      {"--autoadd", "a"},
      {"--urladd", "a", "http://127.0.0.1:1/title/tt1/"}};
  const std::vector<std::string> markers = {
      "!error!", "!error!", "!error!", "!error! Could not open DataBase.",
      "!error!", "!error! Could not open DataBase."};
  for (size_t i = 0; i < runs.size(); ++i) {
    EXPECT_EQ(markers[i], Run(runs[i])) << runs[i][0];
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path())) << runs[i][0];
  }
}

TEST_F(CommandsTest, TitlesHoldingACloseBracketOrNothingAreRefused) {
  // Without an empty line in the file only the rule refuses "".
  const std::string start = kHeader + "[Big]\n" + MovieBody("a");
  GivenDb(start);
  EXPECT_EQ("!error!", Run(Movie("--add", "[REC]", "x")));
  EXPECT_EQ("!error!", Run(Movie("--add", "REC]", "x")));
  EXPECT_EQ("!error!", Run(Movie("--add", "", "x")));
  EXPECT_EQ("!error! Could not change record.",
            Run(Movie("--change", "Big]", "x")));
  EXPECT_EQ(start, Db());
  EXPECT_EQ("Big|", Run({"--list"}));
}

TEST_F(CommandsTest, ACatalogueThatCannotBeReadFailsWithTheFailureMarker) {
  // A folder named "db" opens on some systems but yields no bytes. It is
  // there, so the listings do not claim that no catalogue was found.
  std::filesystem::create_directory(dir_.File("db"));
  EXPECT_EQ("!error!", Run({"--list"}));
  EXPECT_EQ("!error!", Run({"--listbyname"}));
  EXPECT_EQ("!error!", Run({"--get", "a", "plot"}));
  EXPECT_EQ("!error!", Run({"--printrec", "a"}));
  EXPECT_EQ("!error!", Run({"--edit", "a", "plot", "x"}));
  EXPECT_EQ("!error! Could not open DataBase.",
            Run(Movie("--change", "a", "x")));
  EXPECT_EQ("!error!", Run({"--filter", "plot", "x"}));
  EXPECT_EQ("!error!", Run({"--del", "a"}));
  EXPECT_EQ("!error!", Run(Movie("--add", "a", "x")));
}

}  // namespace
