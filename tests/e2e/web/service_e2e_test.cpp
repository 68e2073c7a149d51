// "--printsearch", "--autoadd" and "--urladd" through the movie service: the
// real downloader reaches the API stand-in of the local site
// (api.tmdb.test, image.tmdb.test; see tests/site/site.py).
#include <chrono>
#include <cstdlib>
#include <thread>

#include "downloader_watch.h"
#include "service_e2e_fixture.h"

namespace {

using Files_ = std::vector<std::string>;

TEST_F(ServiceE2eTest, PrintSearchListsTheServicesResults) {
  Expect({"--printsearch", "Inception"}, InCodePage(kInceptionList));
  EXPECT_EQ((Files_{Api("search/movie?query=Inception&include_adult=false&language=en-US")}),
            Requests());
  EXPECT_EQ(Files_{}, Files());
  Expect({"-ps", "Zzyzx"}, "!not found!");
  Expect({"-ps", "Broken"}, "!download error! !error!");
  Expect({"-ps", "Unknown"}, "!download error! !error!");
  // The words go out percent-encoded UTF-8; titles come back as the
  // catalogue keeps text (UTF-8, or the code page with "?" on Windows).
  Expect({"-ps", InCodePage("Am\xC3\xA9lie")},
         InCodePage("Line break (?\?\?\?) | /movie/31 ||  (1999) | /movie/32 || "
                    "Am\xC3\xA9lie \xE2\x80\x93 \xE2\x98\x83 (2001) | /movie/33 || "));
  EXPECT_EQ(Api("search/movie?query=Am\xC3\xA9lie&include_adult=false&language=en-US"),
            Requests().back());
  // Words the code page lacks: on Windows they come from the wide command
  // line, since the narrow one has "?" for them.
  Expect({"-ps", Utf8Arg("Am\xC3\xA9lie \xE2\x98\x83")},
         InCodePage("Line break (?\?\?\?) | /movie/31 ||  (1999) | /movie/32 || "
                    "Am\xC3\xA9lie \xE2\x80\x93 \xE2\x98\x83 (2001) | /movie/33 || "));
  EXPECT_EQ(Api("search/movie?query=Am\xC3\xA9lie \xE2\x98\x83&include_adult=false&language=en-US"),
            Requests().back());
}

TEST_F(ServiceE2eTest, AutoAddTakesTheExactTitleWithItsDetailsAndPoster) {
  MakeDb();
  Expect({"--autoadd", "Inception"}, "!ok!");
  EXPECT_EQ(kHeader + Inception("Inception", "Inception.jpg"), Db());
  EXPECT_EQ(Fixture("posters/tt0100001.jpg"), Read("Inception.jpg"));
  // The id lines are field lines to the commands that read by key, and
  // none to those that print the eleven fields.
  ExpectRun({"--get", "Inception", "imdb"}, "tt1375666");
  ExpectRun({"--filter", "tmdb", "27205"}, "Inception|");
  ExpectRun({"--list"}, "Inception|");
  EXPECT_EQ(0u, Run({"--printrec", "Inception"}).out.find("Cobb"));
  EXPECT_EQ((Files_{"Inception.jpg", "db"}), Files());
  EXPECT_EQ((Files_{Api("search/movie?query=Inception&include_adult=false&language=en-US"),
                    Details("27205"), "image.tmdb.test/t/p/w500/inception.jpg"}),
            Requests());
}

TEST_F(ServiceE2eTest, AYearHintSearchesForTheWordsAndAMostlyEmptyMovieIsStored) {
  MakeDb();
  Expect({"-t", "House (1977)"}, "!ok!");
  EXPECT_EQ(kHeader + Record("House (1977)", {"", "", "", "", "", "", "", "", "", "", ""},
                                   "\ntmdb=900001"),
            Db());
  EXPECT_EQ((Files_{Api("search/movie?query=House&include_adult=false&primary_release_year=1977&language=en-US"),
                    Details("22222")}),
            Requests());
}

TEST_F(ServiceE2eTest, EveryWayOfGivingTheCredential) {
  const struct {
    const char* what;
    std::vector<std::string> env;
    std::string credential;
    std::string file;  // florrin.conf, or none
  } kCases[] = {
      {"token", {}, std::string("FLORRIN_TMDB_TOKEN=") + kToken, ""},
      {"key", {}, std::string("FLORRIN_TMDB_KEY=") + kKey, ""},
      {"file", {}, "", "# mine\n  tmdb-token = " + std::string(kToken) + "\r\n"},
      {"key in the file", {}, "", "tmdb-key=" + std::string(kKey) + "\n"},
      {"env over file", {}, std::string("FLORRIN_TMDB_KEY=") + kKey, "tmdb-token = wrong\n"},
      {"empty token", {"FLORRIN_TMDB_TOKEN="}, std::string("FLORRIN_TMDB_KEY=") + kKey, ""},
  };
  for (const auto& c : kCases) {
    MakeDb();
    std::vector<std::string> env = Env(c.env, c.credential);
    WriteConfig(c.file, &env);
    ExpectRun({"-u", "Nemo", "/movie/27205"}, "!ok!", env);
    EXPECT_EQ(kHeader + Inception("Nemo", "Nemo.jpg"), Db()) << c.what;
    std::filesystem::remove(dir_.File("Nemo.jpg"));
  }
  // A wrong credential is a failed request.
  MakeDb();
  ExpectRun({"-u", "Nemo", "/movie/27205"}, "!error! Connection error.",
            Env({}, "FLORRIN_TMDB_KEY=wrong"));
  EXPECT_EQ(kHeader, Db());
}

TEST_F(ServiceE2eTest, TheLanguageGoesWithEveryApiRequest) {
  MakeDb();
  Expect({"-u", "Enemies", "https://www.themoviedb.org/movie/22855-superman"}, "!ok!",
         {"FLORRIN_LANGUAGE=fr-FR"});
  EXPECT_EQ("65 min", Run({"--get", "Enemies", "runtime"}).out);
  EXPECT_EQ(" - Animation - Action - Aventure", Run({"--get", "Enemies", "Genre"}).out);
  std::vector<std::string> env = Env();
  WriteConfig("language = fr-FR\n", &env);
  ExpectRun({"-ps", "Inception"}, InCodePage(kInceptionList), env);
  EXPECT_EQ(Api("search/movie?query=Inception&include_adult=false&language=fr-FR"),
            Requests().back());
}

TEST_F(ServiceE2eTest, UrlAddBySiteIdFindsTheMovieFirst) {
  MakeDb();
  Expect({"-u", "Dream", "https://m.imdb.com/title/tt1375666/?ref_=x"}, "!ok!");
  EXPECT_EQ(kHeader + Inception("Dream", "Dream.jpg"), Db());
  EXPECT_EQ((Files_{Api("find/tt1375666?external_source=imdb_id&language=en-US"),
                    Details("27205"), "image.tmdb.test/t/p/w500/inception.jpg"}),
            Requests());
  ClearRequests();
  Expect({"-u", "Nothing", "tt0000404"}, "!error! Connection error.");
  EXPECT_EQ((Files_{Api("find/tt0000404?external_source=imdb_id&language=en-US")}),
            Requests());
  // Other addresses still take the site.
  ClearRequests();
  Expect({"-u", "Quiet", "http://www.imdb.com/find/quiet"}, "!error! Connection error.");
  EXPECT_EQ((Files_{"www.imdb.com/find/quiet"}), Requests());
}

TEST_F(ServiceE2eTest, TextComesAsUtf8OnOneLineAndAMissingPosterLeavesPicEmpty) {
  MakeDb();
  Expect({"-u", "Edge", "/movie/900003"}, "!ok!");
  Expect({"-u", "Crowd", "/movie/900004"}, "!ok!");
  std::string cast;
  for (int i = 1; i <= 15; ++i) {
    cast += " - Actor " + std::to_string(i);
    if (i % 2) cast += " - Role " + std::to_string(i);
  }
  EXPECT_EQ(kHeader +
                Record("Edge", {"Line one line two line three end",
                                InCodePage("Caf\xC3\xA9 \xF0\x9F\x8E\xAC \xE2\x80\x9Cquoted\xE2\x80\x9D"),
                                "6.2/10", "2001", InCodePage("Ji\xC5\x99\xC3\xAD \xC4\x8Euri\xC5\xA1"),
                                "95 min", "", "Edge.jpg",
                                InCodePage(" - Zo\xC3\xAB \xC3\x85gren - \xC3\x9Cnter"),
                                InCodePage(" - \xD0\x9A\xD0\xBE\xD0\xBC\xD0\xB5\xD0\xB4\xD0\xB8\xD1\x8F"), ""},
                       "\ntmdb=900003") +
                Record("Crowd", {"", "", "8.2/10", "2020", "", "101 min", "", "", cast,
                                 " - Drama", ""},
                       "\ntmdb=900004"),
            Db());
  EXPECT_EQ((Files_{"Edge.jpg", "db"}), Files());
}

TEST_F(ServiceE2eTest, TooManyRequestsIsTriedAgainAsTheServiceAsks) {
  MakeDb();
  Expect({"-u", "Alien", "/movie/429"}, "!ok!");
  EXPECT_EQ("117 min", Run({"--get", "Alien", "runtime"}).out);
  // Three tries, then the poster (which the site does not have).
  EXPECT_EQ((Files_{Details("429"), Details("429"), Details("429"),
                    "image.tmdb.test/t/p/w500/vfrQk5IPloGg1v9Rzbh2Eg3VGyM.jpg"}),
            Requests());
  ClearRequests();
  Expect({"-u", "Never", "/movie/430"}, "!error! Connection error.");
  EXPECT_EQ((Files_{Details("430"), Details("430"), Details("430")}), Requests());
  // A wait longer than the download's time limit is not made.
  ClearRequests();
  Expect({"-u", "Never", "/movie/431"}, "!error! Connection error.",
         {"FLORRIN_DOWNLOAD_TIMEOUT=3"});
  EXPECT_EQ((Files_{Details("431")}), Requests());
}

TEST_F(ServiceE2eTest, AnswersThatAreNoMovieStoreNothing) {
  for (const char* id : {"500", "301", "404404"}) {
    MakeDb();
    ClearRequests();
    Expect({"-u", "X", std::string("/movie/") + id}, "!error! Connection error.");
    EXPECT_EQ(kHeader, Db()) << id;
    EXPECT_EQ((Files_{"db"}), Files()) << id;
    // A redirect is not followed.
    EXPECT_EQ((Files_{Details(id)}), Requests()) << id;
  }
  MakeDb();
  Expect({"-t", "Zzyzx"}, "!error!");
  Expect({"-t", "Broken"}, "!error!");
  EXPECT_EQ(kHeader, Db());
}

TEST_F(ServiceE2eTest, ANameTheCatalogueRefusesCostsNoRequest) {
  MakeDb();
  Expect({"-t", "Inception"}, "!ok!");
  const std::string after = Db();
  ClearRequests();
  Expect({"-t", "Inception"}, "!error!");
  Expect({"-u", "Inception", "/movie/27205"}, "!error! Could not add to DataBase.");
  Expect({"-u", "In]ception", "/movie/27205"}, "!error! Could not add to DataBase.");
  namespace fs = std::filesystem;
  fs::permissions(dir_.File("db"), fs::perms::owner_write | fs::perms::group_write |
                                       fs::perms::others_write,
                  fs::perm_options::remove);
  Expect({"-t", "Other"}, "!error!");
  Expect({"-u", "Other", "/movie/27205"}, "!error! Could not add to DataBase.");
  fs::permissions(dir_.File("db"), fs::perms::owner_write, fs::perm_options::add);
  EXPECT_EQ(after, Db());
  EXPECT_EQ(Files_{}, Requests());
}

TEST_F(ServiceE2eTest, TheFailureLogSaysWhyWithoutTheSecret) {
  MakeDb();
  const std::string log = home_.File("florrin.log");
  ExpectRun({"-u", "X", "/movie/27205"}, "!error! Connection error.",
            Env({"FLORRIN_LOG=" + log}, "FLORRIN_TMDB_KEY=wrong-key-55"));
  Expect({"-u", "X", "/movie/404404"}, "!error! Connection error.",
         {"FLORRIN_LOG=" + log});
  Expect({"-u", "X", "/movie/500"}, "!error! Connection error.",
         {"FLORRIN_LOG=" + log});
  const std::string lines = ReadFile(log);
  // wget keeps no body of a 401 answer, curl does: the service's message
  // follows the status where the downloader kept it.
  const std::string first =
      "florrin: http://api.tmdb.test/3/movie/27205?append_to_response=credits&language=en-US: HTTP 401";
  const std::string message = ": Invalid API key: You must be granted a valid key.";
  const std::string rest =
      "\nflorrin: http://api.tmdb.test/3/movie/404404?append_to_response=credits&language=en-US: "
      "HTTP 404: The resource you requested could not be found.\n"
      "florrin: http://api.tmdb.test/3/movie/500?append_to_response=credits&language=en-US: "
      "the answer is no movie\n";
  EXPECT_TRUE(lines == first + rest || lines == first + message + rest) << lines;
}

TEST_F(ServiceE2eTest, AnswersAndPostersPastTheirSizeLimitsAreStoppedAndGone) {
  const std::string log = home_.File("florrin.log");
  const struct {
    const char* what;
    std::vector<std::string> args;
    std::string credential;
    const char* out;
    std::string record;  // what the catalogue gains
    std::vector<std::string> files;
    const char* logged;
  } kCases[] = {
      {"an answer past 16 MiB", {"-u", "Big", "/movie/900016"},
       std::string("FLORRIN_TMDB_TOKEN=") + kToken, "!error! Connection error.",
       "", {"db"}, "the document passed the size limit of 16777216 bytes"},
      {"an answer without end", {"-u", "Big", "/movie/900017"},
       std::string("FLORRIN_TMDB_TOKEN=") + kToken, "!error! Connection error.",
       "", {"db"}, "the document passed the size limit of 16777216 bytes"},
      {"a title page past 16 MiB",
       {"-u", "Big", "http://www.imdb.com/title/tt0100016/"}, "",
       "!error! Connection error.", "", {"db"},
       "the title page could not be downloaded"},
      {"a poster of 18 MiB", {"-u", "Large", "/movie/900018"},
       std::string("FLORRIN_TMDB_TOKEN=") + kToken, "!ok!",
       Record("Large", {"", "", "", "", "", "90 min", "", "Large.jpg", "", "",
                        ""}, "\ntmdb=900018"),
       {"Large.jpg", "db"}, nullptr},
      {"a poster without end", {"-u", "Flood", "/movie/900019"},
       std::string("FLORRIN_TMDB_TOKEN=") + kToken, "!ok!",
       Record("Flood", {"", "", "", "", "", "91 min", "", "", "", "", ""},
              "\ntmdb=900019"),
       {"db"}, "the document passed the size limit of 20971520 bytes"},
  };
  for (const auto& c : kCases) {
    MakeDb();
    std::filesystem::remove(log);
    ExpectRun(c.args, c.out, Env({"FLORRIN_LOG=" + log}, c.credential));
    EXPECT_EQ(kHeader + c.record, Db()) << c.what;
    EXPECT_EQ(c.files, Files()) << c.what;
    if (c.logged != nullptr) {
      EXPECT_NE(std::string::npos, ReadFile(log).find(c.logged))
          << c.what << ": " << ReadFile(log);
    }
    for (const std::string& file : c.files) {
      if (file != "db") std::filesystem::remove(dir_.File(file));
    }
  }
}

TEST_F(ServiceE2eTest, TwoSearchesAtOnceInOneFolderBothGetTheirAnswers) {
  // The second starts while the first waits for its (late) answer; neither
  // may take the other's answer for its own, or remove it.
  RunResult first, second;
  std::thread early([&] { first = Run({"-ps", "Slow"}, Env()); });
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  second = Run({"-ps", "Slow"}, Env());
  early.join();
  for (const RunResult* r : {&first, &second}) {
    EXPECT_EQ(InCodePage(kInceptionList), r->out);
    EXPECT_EQ("", r->err);
    EXPECT_EQ(0, r->exit_code);
  }
  EXPECT_EQ(Files_{}, Files());
  EXPECT_EQ(2u, Requests().size());
}

TEST_F(ServiceE2eTest, TheSecretIsNeitherOnACommandLineNorInAnyFileLeftBehind) {
  TempDir bin, tmp;
  const std::string args = bin.File("args.log");
  const std::string environment = bin.File("env.log");
  const std::string log = home_.File("florrin.log");
  std::vector<std::string> env = {"FLORRIN_LOG=" + log};
  std::string why;
  ASSERT_TRUE(WatchDownloader(bin.path(), args, environment, tmp.path(), &env,
                              &why))
      << why;
  for (const std::string& credential :
       {std::string("FLORRIN_TMDB_TOKEN=") + kToken, std::string("FLORRIN_TMDB_KEY=") + kKey}) {
    const std::string secret = credential.substr(credential.find('=') + 1);
    MakeDb();
    ExpectRun({"-ps", "Inception"}, InCodePage(kInceptionList), Env(env, credential));
    ExpectRun({"-t", "Inception"}, "!ok!", Env(env, credential));
    ExpectRun({"-u", "Dream", "tt1375666"}, "!ok!", Env(env, credential));
    ExpectRun({"-u", "X", "/movie/404404"}, "!error! Connection error.", Env(env, credential));
    EXPECT_NE("<missing>", ReadFile(args)) << "the downloader was not run";
    EXPECT_EQ(std::string::npos, ReadFile(args).find(secret)) << ReadFile(args);
    // Nor in its environment.
    EXPECT_NE("<missing>", ReadFile(environment));
    EXPECT_EQ(std::string::npos, ReadFile(environment).find(secret));
    EXPECT_EQ(Files_{}, FilesHolding(dir_.path(), secret));
    EXPECT_EQ(Files_{}, FilesHolding(home_.path(), secret));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
    std::filesystem::remove(args);
    std::filesystem::remove(environment);
    std::filesystem::remove(dir_.File("Inception.jpg"));
    std::filesystem::remove(dir_.File("Dream.jpg"));
  }
}

}  // namespace
