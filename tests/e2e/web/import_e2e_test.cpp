// "--autoadd" and "--urladd" through the real wget and the local site.
#include "web_e2e_fixture.h"

using Files_ = std::vector<std::string>;

class AutoAddTest : public WebE2eTest {};
class UrlAddTest : public WebE2eTest {};

TEST_F(AutoAddTest, AddsTheFirstExactMatchWithEveryFieldAndItsPoster) {
  MakeDb();
  ExpectRun({"--autoadd", "Harbour Lights"}, "!ok!");
  EXPECT_EQ(kHeader + HarbourLights("Harbour Lights", "Harbour Lights.jpg"),
            Db());
  EXPECT_EQ(Fixture("posters/tt0100001.jpg"), Read("Harbour Lights.jpg"));
  EXPECT_EQ(Fixture("search/harbour-lights.htm"), Read("imbd-search.htm"));
  EXPECT_EQ(Fixture("title/tt0100001.htm"), Read("imbd-movie.htm"));
  EXPECT_EQ((Files_{"Harbour Lights.jpg", "db", "imbd-movie.htm",
                    "imbd-search.htm"}),
            Files());
  // The title's spaces reach the site unchanged (wget encodes them).
  EXPECT_EQ((Files_{"www.imdb.com/find?q=Harbour Lights;more=tt",
                    "www.imdb.com/title/tt0100001/",
                    "www.imdb.com/posters/tt0100001.jpg"}),
            Requests());
}

TEST_F(AutoAddTest, PopularTitleOnACrLfPageWithATitleHoldingI) {
  MakeDb();
  ExpectRun({"-t", "Glass Orchard"}, "!ok!");
  EXPECT_EQ(kHeader + GlassOrchard("Glass Orchard", "Glass Orchard.jpg"), Db());
  EXPECT_EQ(Fixture("posters/tt0100002.jpg"), Read("Glass Orchard.jpg"));
  // The page is stored as served; only reading it translates line ends.
  EXPECT_EQ(Fixture("title/tt0100002.htm"), Read("imbd-movie.htm"));
}

TEST_F(AutoAddTest, ApproxMatchWhenNothingBetterIsListed) {
  MakeDb();
  ExpectRun({"-t", "Harbor Lites"}, "!ok!");
  EXPECT_EQ(kHeader + HarbourLights("Harbor Lites", "Harbor Lites.jpg"), Db());
}

TEST_F(AutoAddTest, ShellCharactersInTheTitleRunNothing) {
  const std::string title =
      "Night \"Owl\"; touch pwned; echo $(touch pwned2) `touch pwned3`";
  const std::string poster =
      "Night _Owl_; touch pwned; echo $(touch pwned2) `touch pwned3`.jpg";
  MakeDb();
  ExpectRun({"-t", title}, "!ok!");
  EXPECT_EQ(kHeader + HarbourLights(title, poster), Db());
  EXPECT_EQ(Fixture("posters/tt0100001.jpg"), Read(poster));
  EXPECT_FALSE(Exists("pwned"));
  EXPECT_FALSE(Exists("pwned2"));
  EXPECT_FALSE(Exists("pwned3"));
}

// --- error paths ---

TEST_F(AutoAddTest, WithoutCatalogueErrorAndNothingFetched) {
  ExpectRun({"--autoadd", "Harbour Lights"}, "!error!");
  EXPECT_EQ(Files_{}, Files());
  EXPECT_EQ(Files_{}, Requests());
}

TEST_F(AutoAddTest, NoUsableSectionLeavesCatalogueAndTitlePageAlone) {
  for (const char* title : {"Zzyzx", "Orchard", "Lights Out"}) {
    MakeDb();
    Write("imbd-movie.htm", "older page");
    ExpectRun({"-t", title}, "!error!");
    EXPECT_EQ(kHeader, Db()) << title;
    EXPECT_EQ("older page", Read("imbd-movie.htm")) << title;
    EXPECT_TRUE(Exists("imbd-search.htm")) << title;
  }
}

TEST_F(AutoAddTest, SearchPageThatCannotBeFetched) {
  MakeDb();
  Write("imbd-search.htm", "older search");
  ExpectRun({"-t", "No Such Film"}, "!error!");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db"}), Files());
}

TEST_F(AutoAddTest, TitlePageThatIsNotThereKeepsTheSearchPage) {
  MakeDb();
  Write("imbd-movie.htm", "older page");
  ExpectRun({"-t", "Orchard Road"}, "!error!");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ(Fixture("search/orchard-road.htm"), Read("imbd-search.htm"));
  EXPECT_EQ((Files_{"db", "imbd-search.htm"}), Files());
}

TEST_F(AutoAddTest, DuplicateNameIsRefusedBeforeAnyDownload) {
  MakeDb();
  ExpectRun({"-t", "Harbour Lights"}, "!ok!");
  const std::string after = Db();
  Write("Harbour Lights.jpg", "old poster");
  Write("imbd-movie.htm", "older page");
  ClearRequests();
  ExpectRun({"-t", "Harbour Lights"}, "!error!");
  EXPECT_EQ(after, Db());
  EXPECT_EQ("old poster", Read("Harbour Lights.jpg"));
  EXPECT_EQ("older page", Read("imbd-movie.htm"));
  EXPECT_EQ(Files_{}, Requests());
}

TEST_F(UrlAddTest, AddsFromTheAddressWithoutSearching) {
  MakeDb();
  ExpectRun({"--urladd", "Glass", "http://www.imdb.com/title/tt0100002/"},
            "!ok!");
  EXPECT_EQ(kHeader + GlassOrchard("Glass", "Glass.jpg"), Db());
  EXPECT_EQ(Fixture("posters/tt0100002.jpg"), Read("Glass.jpg"));
  EXPECT_EQ((Files_{"Glass.jpg", "db", "imbd-movie.htm"}), Files());
  EXPECT_EQ((Files_{"www.imdb.com/title/tt0100002/",
                    "www.imdb.com/posters/tt0100002.jpg"}),
            Requests());
}

TEST_F(UrlAddTest, PageWithoutPosterAddsEmptyPic) {
  MakeDb();
  ExpectRun({"-u", "Quiet", "www.imdb.com/title/tt0100003/"}, "!ok!");
  EXPECT_EQ(kHeader + QuietField("Quiet"), Db());
  EXPECT_EQ((Files_{"db", "imbd-movie.htm"}), Files());
  EXPECT_EQ((Files_{"www.imdb.com/title/tt0100003/"}), Requests());
}

TEST_F(UrlAddTest, PosterThatIsNotThereStillAddsTheRecord) {
  MakeDb();
  ExpectRun({"-u", "Comets", "www.imdb.com/title/tt0100004/"}, "!ok!");
  EXPECT_EQ(kHeader + Record("Comets", {"", "They fall slowly.", "5.0/10",
                                        "2011", "Ruth Kalm", "100 min", "", "",
                                        "", "", ""}),
            Db());
  EXPECT_EQ((Files_{"db", "imbd-movie.htm"}), Files());
  EXPECT_EQ(2u, Requests().size());
}

TEST_F(UrlAddTest, PosterFileNamesAreOneNameInTheFolderOnEverySystem) {
  // The record keeps its name; the poster's name has "_" for each character
  // that Windows or Linux does not take in a file name.
  std::filesystem::create_directory(dir_.File("sub"));
  const struct {
    const char* name;
    const char* poster;
  } kCases[] = {
      {"Star Trek: First Contact", "Star Trek_ First Contact.jpg"},
      {"AC/DC", "AC_DC.jpg"},
      {"sub/Harbour", "sub_Harbour.jpg"},
      {"sub\\Harbour", "sub_Harbour.jpg"},
      {"a*b?c<d>e|f\"g\th\x1fi\x7fj", "a_b_c_d_e_f_g_h_i\x7fj.jpg"},
      {"...", "....jpg"},
      {"CONSOLE", "CONSOLE.jpg"},
  };
  for (const auto& c : kCases) {
    MakeDb();
    ExpectRun({"-u", c.name, "www.imdb.com/title/tt0100001/"}, "!ok!");
    EXPECT_EQ(kHeader + HarbourLights(c.name, c.poster), Db()) << c.name;
    EXPECT_EQ(Fixture("posters/tt0100001.jpg"), Read(c.poster)) << c.name;
    Files_ files{c.poster, "db", "imbd-movie.htm", "sub"};
    std::sort(files.begin(), files.end());
    EXPECT_EQ(files, Files()) << c.name;
    EXPECT_TRUE(std::filesystem::is_empty(dir_.File("sub"))) << c.name;
    std::filesystem::remove(dir_.File(c.poster));
  }
}

TEST_F(UrlAddTest, DotNamesAndWindowsDeviceNamesGetNoPoster) {
  // Such a poster would land outside the folder, or in a device on Windows
  // (also where the folder is moved to later).
  for (const char* name : {".", "..", "CON", "prn", "Aux", "nul", "COM1",
                           "com9", "LPT1", "lpt9", "NUL.txt", "con .x"}) {
    MakeDb();
    ExpectRun({"-u", name, "www.imdb.com/title/tt0100001/"}, "!ok!");
    EXPECT_EQ(kHeader + HarbourLights(name, ""), Db()) << name;
    EXPECT_EQ((Files_{"db", "imbd-movie.htm"}), Files()) << name;
    EXPECT_EQ((Files_{"www.imdb.com/title/tt0100001/"}), Requests()) << name;
    WebE2eTest::SetUp();  // fresh request log
  }
}

// --- error paths ---

TEST_F(UrlAddTest, WithoutCatalogue) {
  ExpectRun({"-u", "Glass", "www.imdb.com/title/tt0100002/"},
            "!error! Could not open DataBase.");
  EXPECT_EQ(Files_{}, Files());
  EXPECT_EQ(Files_{}, Requests());
}

TEST_F(UrlAddTest, TitlePageThatIsNotThere) {
  MakeDb();
  Write("imbd-movie.htm", "older page");
  Write("imbd-search.htm", "older search");
  ExpectRun({"-u", "Nope", "www.imdb.com/title/tt0100005/"},
            "!error! Connection error.");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db", "imbd-search.htm"}), Files());
}

TEST_F(UrlAddTest, ShellCharactersInTheAddressRunNothing) {
  MakeDb();
  ExpectRun({"-u", "Evil",
             "www.imdb.com/title/tt0100003/\";touch pwned;\"$(touch pwned2)"},
            "!error! Connection error.");
  ExpectRun({"-u", "Evil", "www.imdb.com/title/tt0100003/' `touch pwned3` '"},
            "!error! Connection error.");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db"}), Files());
}

TEST_F(UrlAddTest, AddressThatLooksLikeAnOptionIsNotPassedOn) {
  MakeDb();
  // Taken as an option, this would make the downloader fetch the addresses
  // listed in a file of the caller's choosing.
  Write("urls", "http://www.imdb.com/title/tt0100003/\n");
  ExpectRun({"-u", "Evil", "--input-file=urls"}, "!error! Connection error.");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db", "urls"}), Files());
  EXPECT_EQ(Files_{}, Requests());
}

TEST_F(UrlAddTest, TitlesTheCatalogueCannotHoldAreRefusedBeforeAnyDownload) {
  // No empty line in the catalogue, so only the rule refuses "".
  const std::string start = std::string(kHeader).substr(0, 20);
  Write("db", start);
  for (const char* name : {"", "Harbour]", "[Harbour]"}) {
    ClearRequests();
    ExpectRun({"-u", name, "www.imdb.com/title/tt0100001/"},
              "!error! Could not add to DataBase.");
    EXPECT_EQ(start, Db()) << name;
    EXPECT_EQ((Files_{"db"}), Files()) << name;
    EXPECT_EQ(Files_{}, Requests()) << name;
  }
}

TEST_F(UrlAddTest, DuplicateNameLeavesItsPosterAlone) {
  MakeDb();
  ExpectRun({"-u", "Alien", "www.imdb.com/title/tt0100003/"}, "!ok!");
  const std::string after = Db();
  Write("Alien.jpg", "the user's own poster");
  ClearRequests();
  ExpectRun({"-u", "Alien", "www.imdb.com/title/tt0100001/"},
            "!error! Could not add to DataBase.");
  EXPECT_EQ(after, Db());
  EXPECT_EQ("the user's own poster", Read("Alien.jpg"));
  EXPECT_EQ(Files_{}, Requests());
}

// --- pages of another layout, catalogues that cannot be written ---

TEST_F(AutoAddTest, APageGivingOnlyYearAndTaglineIsRefusedWithoutAPoster) {
  MakeDb();
  ExpectRun({"-t", "Modern Layout"}, "!error!");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"www.imdb.com/find?q=Modern Layout;more=tt",
                    "www.imdb.com/title/tt0100007/"}),
            Requests());
  EXPECT_FALSE(Exists("Modern Layout.jpg"));
}

TEST_F(UrlAddTest, APageGivingOnlyYearAndTaglineIsRefusedWithoutAPoster) {
  MakeDb();
  ExpectRun({"-u", "Modern", "www.imdb.com/title/tt0100007/"},
            "!error! Could not add to DataBase.");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"www.imdb.com/title/tt0100007/"}), Requests());
  EXPECT_EQ((Files_{"db", "imbd-movie.htm"}), Files());
}

TEST_F(UrlAddTest, AReadOnlyCatalogueIsRefusedBeforeAnyDownload) {
  namespace fs = std::filesystem;
  MakeDb();
  Write("Harbour.jpg", "the user's own poster");
  Write("imbd-movie.htm", "older page");
  fs::permissions(dir_.File("db"), fs::perms::owner_write | fs::perms::group_write |
                                       fs::perms::others_write,
                  fs::perm_options::remove);
  ExpectRun({"-u", "Harbour", "www.imdb.com/title/tt0100001/"},
            "!error! Could not add to DataBase.");
  ExpectRun({"-t", "Harbour Lights"}, "!error!");
  EXPECT_EQ(Files_{}, Requests());
  EXPECT_EQ("the user's own poster", Read("Harbour.jpg"));
  EXPECT_EQ("older page", Read("imbd-movie.htm"));
  EXPECT_EQ(kHeader, Db());
  fs::permissions(dir_.File("db"), fs::perms::owner_write, fs::perm_options::add);
}

TEST_F(UrlAddTest, TheFailureLogNamesTheStepThatFailed) {
  MakeDb();
  const std::string log = home_.File("florrin.log");
  ExpectRun({"-u", "Nope", "www.imdb.com/title/tt0100005/"},
            "!error! Connection error.", {"FLORRIN_LOG=" + log});
  ExpectRun({"-u", "Modern", "www.imdb.com/title/tt0100007/"},
            "!error! Could not add to DataBase.", {"FLORRIN_LOG=" + log});
  ExpectRun({"-t", "No Such Film"}, "!error!", {"FLORRIN_LOG=" + log});
  EXPECT_EQ("florrin: www.imdb.com/title/tt0100005/: the title page could not "
            "be downloaded\n"
            "florrin: www.imdb.com/title/tt0100007/: not a title page of the "
            "layout Florrin reads\n"
            "florrin: http://www.imdb.com/find?q=No Such Film;more=tt: the "
            "search page could not be downloaded\n",
            ReadFile(log));
}
