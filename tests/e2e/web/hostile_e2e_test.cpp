// The web commands against servers that misbehave (the local site's hostile
// modes), a user's downloader settings, and search pages that point
// elsewhere: each ends in the command's usual failure marker, in bounded
// time, with no partial file, no log and no downloader left behind.
#include "processes_posix.h"
#include "web_e2e_fixture.h"

using Files_ = std::vector<std::string>;

class HostileSiteTest : public WebE2eTest {
 protected:
  // A short download time limit, so the trials stay quick.
  static std::vector<std::string> Limit(int seconds) {
    return {"FLORRIN_DOWNLOAD_TIMEOUT=" + std::to_string(seconds)};
  }

  std::vector<std::string> ProcessesInFolder() {
    return ProcessesWorkingIn(dir_.path());
  }
};

TEST_F(HostileSiteTest, SearchThatNeverAnswersEndsAtTheTimeLimit) {
  MakeDb();
  ExpectRun({"--autoadd", "Never Answers"}, "!error!", Limit(1));
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db"}), Files());
  EXPECT_EQ(Files_{}, ProcessesInFolder());
  // One request: the downloader was not left to try again.
  EXPECT_EQ((Files_{"www.imdb.com/find?q=Never Answers;more=tt"}), Requests());
}

TEST_F(HostileSiteTest, TitlePageThatDripsEndsAtTheTimeLimit) {
  MakeDb();
  Write("imbd-movie.htm", "older page");
  ExpectRun({"-u", "Harbour", "www.imdb.com/drip/title/tt0100001/"},
            "!error! Connection error.", Limit(2));
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db"}), Files());
  EXPECT_EQ(Files_{}, ProcessesInFolder());
}

TEST_F(HostileSiteTest, PosterThatDripsLeavesTheRecordWithoutPoster) {
  MakeDb();
  ExpectRun({"-u", "Slow", "www.imdb.com/title/tt0100006/"}, "!ok!",
            Limit(1));
  EXPECT_EQ(kHeader + Record("Slow", {"A poster that takes its time. ", "", "",
                                      "2001", "Nell Vance", "77 min", "", "",
                                      "", "", ""}),
            Db());
  EXPECT_EQ((Files_{"db", "imbd-movie.htm"}), Files());
  EXPECT_EQ(Files_{}, ProcessesInFolder());
}

TEST_F(HostileSiteTest, TitlePageCutShortOnEveryTryIsNotStored) {
  MakeDb();
  // A user's settings that ask for more tries, without a pause between.
  WriteWgetrc("tries = 5\nwaitretry = 0\n");
  ExpectRun({"-u", "Harbour", "www.imdb.com/cut/title/tt0100001/"},
            "!error! Connection error.");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ((Files_{"db"}), Files());
  // Sent once: a page cut short is a failed download, not tried again.
  EXPECT_EQ((Files_{"www.imdb.com/cut/title/tt0100001/"}), Requests());
}

TEST_F(HostileSiteTest, AServiceRequestCutShortIsSentOnce) {
  // Each request counts against the service's limit; only a "429" answer
  // is asked again.
  WriteWgetrc("tries = 5\nwaitretry = 0\n");
  const std::vector<std::string> env = {
      "FLORRIN_TMDB_API=http://api.tmdb.test/cut/3",
      "FLORRIN_TMDB_TOKEN=test-token-7f3a"};
  const struct {
    std::vector<std::string> args;
    const char* out;
    const char* request;
  } kCases[] = {
      {{"-ps", "Inception"}, "!download error! !error!",
       "api.tmdb.test/cut/3/search/movie?query=Inception&include_adult=false"
       "&language=en-US"},
      {{"-u", "Inception", "/movie/27205"}, "!error! Connection error.",
       "api.tmdb.test/cut/3/movie/27205?append_to_response=credits"
       "&language=en-US"},
  };
  for (const auto& c : kCases) {
    MakeDb();
    ClearRequests();
    ExpectRun(c.args, c.out, env);
    EXPECT_EQ(kHeader, Db());
    EXPECT_EQ((Files_{"db"}), Files());
    EXPECT_EQ((Files_{c.request}), Requests());
  }
}

TEST_F(HostileSiteTest, SearchLinkToAnotherHostIsNothingFound) {
  MakeDb();
  Write("imbd-movie.htm", "older page");
  ExpectRun({"-t", "Far Harbour"}, "!error!");
  EXPECT_EQ(kHeader, Db());
  EXPECT_EQ("older page", Read("imbd-movie.htm"));
  EXPECT_EQ((Files_{"www.imdb.com/find?q=Far Harbour;more=tt"}), Requests());
}

class DownloaderSettingsTest : public WebE2eTest {};

TEST_F(DownloaderSettingsTest, AUserWgetrcCannotSilenceTheLog) {
  for (const char* rc : {"verbose = off\n", "quiet = on\n"}) {
    MakeDb();
    WriteWgetrc(rc);
    ExpectRun({"-u", "Glass", "www.imdb.com/title/tt0100002/"}, "!ok!");
    EXPECT_EQ(kHeader + GlassOrchard("Glass", "Glass.jpg"), Db()) << rc;
    std::remove(dir_.File("Glass.jpg").c_str());
  }
}

TEST_F(DownloaderSettingsTest, StrictOptionOrderingInTheEnvironment) {
  // With POSIXLY_CORRECT, options after the address would be taken for
  // further addresses.
  MakeDb();
  ExpectRun({"-u", "Glass", "www.imdb.com/title/tt0100002/"}, "!ok!",
            {"POSIXLY_CORRECT=1"});
  EXPECT_EQ(kHeader + GlassOrchard("Glass", "Glass.jpg"), Db());
  EXPECT_EQ((Files_{"Glass.jpg", "db", "imbd-movie.htm"}), Files());
}
