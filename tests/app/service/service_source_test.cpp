// The movie service as a source, with a fake downloader: the requests it
// makes, what it reads from the answers, retries and the failure log.
#include "service-source.h"

#include <gtest/gtest.h>

#include <deque>
#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "web_file_test.h"

namespace {

std::string Answer(const std::string& name) {
  return ReadFile(std::string(API_FIXTURES) + "/" + name);
}

// One answer of the fake downloader.
struct Reply {
  Reply(int s, std::string b, int r = -1, std::string f = std::string())
      : status(s), body(std::move(b)), retry_after(r), failure(std::move(f)) {}
  int status;
  std::string body;
  int retry_after;
  std::string failure;  // a downloader failure: nothing arrives
};

class ServiceSourceTest : public WebFileTest {
 protected:
  ServiceSourceTest() { settings_.sApiBase = "http://api.test/3"; }

  // Answers, in order, for the requests to come.
  void Queue(const std::vector<Reply>& replies) {
    replies_.insert(replies_.end(), replies.begin(), replies.end());
  }
  static Reply Ok(const std::string& fixture) { return {200, Answer(fixture)}; }

  ServiceSource Source() {
    return ServiceSource(
        settings_,
        [this](const DownloadRequest& r) { return Fetch(r); },
        [this](int s) { waits_.push_back(s); },
        [this](const sString& line) { log_.push_back(line); }, 60);
  }

  DownloadResult Fetch(const DownloadRequest& request) {
    requests_.push_back(request);
    // Where the answer is to go, as it is while the request runs.
    const std::filesystem::path file(request.sFile);
    folders_.push_back(file.parent_path().string());
    folderExisted_.push_back(std::filesystem::is_directory(file.parent_path()));
    DownloadResult result;
    if (replies_.empty()) return result;
    const Reply reply = replies_.front();
    replies_.pop_front();
    result.iHttpStatus = reply.status;
    result.iRetryAfter = reply.retry_after;
    result.sFailure = reply.failure;
    result.bSaved = reply.failure.empty() && reply.status == 200;
    if (result.bSaved || (request.bKeepErrorBody && reply.failure.empty()))
      Write(request.sFile, reply.body);
    return result;
  }

  std::vector<std::string> Urls() const {
    std::vector<std::string> urls;
    for (const DownloadRequest& r : requests_) urls.push_back(r.sURL);
    return urls;
  }

  ServiceSettings settings_;
  std::vector<std::string> folders_;  // each request's file's folder
  std::vector<bool> folderExisted_;
  std::deque<Reply> replies_;
  std::vector<DownloadRequest> requests_;
  std::vector<int> waits_;
  std::vector<std::string> log_;
};

using Strings = std::vector<std::string>;

TEST_F(ServiceSourceTest, SearchListsEveryResultAndPicksTheFirstExactTitle) {
  settings_.sToken = "secret-token";
  Queue({Ok("search-movie-inception.json")});
  const SearchAnswer a = Source().Search("INCEPTION");
  ASSERT_TRUE(a.bFetched);
  EXPECT_TRUE(a.bListed);
  ASSERT_EQ(10u, a.matches.size());
  EXPECT_EQ("Inception", a.matches[0].sTitle);
  EXPECT_EQ("(2010)", a.matches[0].sYear);
  EXPECT_EQ("/movie/27205", a.matches[0].sLink);
  EXPECT_EQ("(?\?\?\?)", a.matches[2].sYear);
  EXPECT_EQ("/movie/27205", a.sPick);
  EXPECT_EQ((Strings{"http://api.test/3/search/movie?query=INCEPTION"
                     "&include_adult=false&language=en-US"}),
            Urls());
  const DownloadRequest& r = requests_[0];
  EXPECT_EQ((std::vector<sString>{"Authorization: Bearer secret-token",
                                  "Accept: application/json"}),
            r.headers);
  EXPECT_TRUE(r.bPrivate);
  EXPECT_FALSE(r.bFollowRedirects);
  EXPECT_TRUE(r.bKeepErrorBody);
  EXPECT_EQ(60, r.iTimeoutSeconds);
  // The answer is read and gone.
  EXPECT_FALSE(Exists("tmdb-answer.json"));
}

TEST_F(ServiceSourceTest, AYearHintAndAnOriginalTitleChooseTheMatch) {
  settings_.sKey = "k&y";
  settings_.sLanguage = "pt BR";
  Queue({Ok("search-house.json")});
  const SearchAnswer a = Source().Search("House (1977)");
  // "house" is the third result's title; "Hausu"'s original is not House.
  EXPECT_EQ("/movie/22222", a.sPick);
  EXPECT_EQ((Strings{"http://api.test/3/search/movie?query=House&include_adult=false"
                     "&primary_release_year=1977&language=pt%20BR&api_key=k%26y"}),
            Urls());
  EXPECT_TRUE(requests_[0].headers.size() == 1);  // no Authorization
  // Without an equal title, the first result.
  Queue({Ok("search-house.json")});
  EXPECT_EQ("/movie/11111", Source().Search("Haus").sPick);
}

TEST_F(ServiceSourceTest, NoResultsAndFailedSearches) {
  settings_.sToken = "t";
  Queue({Ok("search-movie-empty.QUOTED.json")});
  SearchAnswer a = Source().Search("Zzyzx");
  EXPECT_TRUE(a.bFetched);
  EXPECT_FALSE(a.bListed);
  EXPECT_EQ("", a.sPick);
  for (const char* body : {"not-json.txt", "top-array.json", "search-results-object.json"}) {
    Queue({Ok(body)});
    a = Source().Search("Zzyzx");
    EXPECT_FALSE(a.bFetched) << body;
  }
  Queue({{401, Answer("error-401-2013.json")}});
  EXPECT_FALSE(Source().Search("Zzyzx").bFetched);
  EXPECT_EQ("http://api.test/3/search/movie?query=Zzyzx&include_adult=false"
            "&language=en-US: HTTP 401: Invalid API key - You must be granted a valid key",
            log_.back());
  EXPECT_FALSE(Exists("tmdb-answer.json"));
}

TEST_F(ServiceSourceTest, DetailsByServiceIdAndBySiteId) {
  settings_.sToken = "t";
  settings_.sImageBase = "http://img.test/t/p/";
  Queue({Ok("movie-22855-credits.json")});
  MovieDetails d;
  ASSERT_EQ(DetailsStatus::kOk,
            Source().Details("https://www.themoviedb.org/movie/22855-x", &d));
  EXPECT_EQ("Sam Liu", d.sDir);
  EXPECT_EQ("7.3/10", d.sRate);
  EXPECT_EQ("http://img.test/t/p/w500/7eaHkUKAzfstt6XQCiXyuKiZUAw.jpg", d.sPosterURL);
  Queue({Ok("find-tt1375666.json"), Ok("movie-348.json")});
  ASSERT_EQ(DetailsStatus::kOk,
            Source().Details("http://www.imdb.com/title/tt1375666/", &d));
  EXPECT_EQ((Strings{"http://api.test/3/movie/22855?append_to_response=credits&language=en-US",
                     "http://api.test/3/find/tt1375666?external_source=imdb_id&language=en-US",
                     "http://api.test/3/movie/27205?append_to_response=credits&language=en-US"}),
            Urls());
  EXPECT_TRUE(log_.empty());
}

TEST_F(ServiceSourceTest, EveryFailedStepIsAFailedFetchAndALogLine) {
  settings_.sToken = "t";
  MovieDetails d;
  const struct {
    const char* address;
    std::vector<Reply> replies;
    const char* log;
    // An unknown movie is told apart from a failure: an import stores the
    // row's own columns for it and goes on.
    DetailsStatus status = DetailsStatus::kFetchFailed;
  } kCases[] = {
      {"tt0000001", {Ok("find-none.json")}, "find/tt0000001?external_source=imdb_id&language=en-US: the service knows no such movie", DetailsStatus::kUnknown},
      {"/movie/1", {{404, Answer("error-404.QUOTED.json")}}, "movie/1?append_to_response=credits&language=en-US: HTTP 404: The resource you requested could not be found.", DetailsStatus::kUnknown},
      {"/movie/1", {Ok("movie-no-id.json")}, "movie/1?append_to_response=credits&language=en-US: the answer is no movie"},
      {"/movie/1", {{500, "oops"}}, "movie/1?append_to_response=credits&language=en-US: HTTP 500"},
      {"/movie/1", {{0, "", -1, "wget exited with status 4"}}, "movie/1?append_to_response=credits&language=en-US: wget exited with status 4"},
      {"/movie/1", {{301, ""}}, "movie/1?append_to_response=credits&language=en-US: HTTP 301"},
      {"/movie/1", {{401, ""}}, "movie/1?append_to_response=credits&language=en-US: HTTP 401"},
  };
  for (const auto& c : kCases) {
    log_.clear();
    Queue(c.replies);
    EXPECT_EQ(c.status, Source().Details(c.address, &d)) << c.log;
    ASSERT_EQ(1u, log_.size()) << c.log;
    EXPECT_EQ(std::string("http://api.test/3/") + c.log, log_[0]);
    EXPECT_FALSE(Exists("tmdb-answer.json"));
  }
}

TEST_F(ServiceSourceTest, TooManyRequestsIsTriedAgainTwiceAtMost) {
  settings_.sToken = "t";
  MovieDetails d;
  Queue({{429, "", 3}, {429, ""}, Ok("movie-348.json")});
  EXPECT_EQ(DetailsStatus::kOk, Source().Details("/movie/348", &d));
  EXPECT_EQ((std::vector<int>{3, 1}), waits_);
  EXPECT_EQ(3u, requests_.size());

  waits_.clear();
  requests_.clear();
  Queue({{429, ""}, {429, ""}, {429, ""}, Ok("movie-348.json")});
  EXPECT_EQ(DetailsStatus::kFetchFailed, Source().Details("/movie/348", &d));
  EXPECT_EQ(3u, requests_.size());
  replies_.clear();

  // A wait longer than the download's time limit is not made.
  waits_.clear();
  requests_.clear();
  Queue({{429, "", 61}, Ok("movie-348.json")});
  EXPECT_EQ(DetailsStatus::kFetchFailed, Source().Details("/movie/348", &d));
  EXPECT_EQ(std::vector<int>{}, waits_);
  EXPECT_EQ(1u, requests_.size());
}

TEST_F(ServiceSourceTest, AnswersPassThroughAPrivateFolderNeverTheCataloguesOwn) {
  settings_.sToken = "t";
  const struct {
    const char* what;
    std::vector<Reply> replies;
    bool (*ask)(ServiceSource*);
  } kCases[] = {
      {"search", {Ok("search-house.json")},
       [](ServiceSource* s) { return s->Search("House").bFetched; }},
      {"details", {Ok("movie-348.json")},
       [](ServiceSource* s) {
         MovieDetails d;
         return s->Details("/movie/348", &d) == DetailsStatus::kOk;
       }},
      {"find, then details", {Ok("find-tt1375666.json"), Ok("movie-348.json")},
       [](ServiceSource* s) {
         MovieDetails d;
         return s->Details("tt1375666", &d) == DetailsStatus::kOk;
       }},
      {"an error's body", {{404, Answer("error-404.QUOTED.json")}},
       [](ServiceSource* s) { return !s->Search("Gone").bFetched; }},
  };
  for (const auto& c : kCases) {
    requests_.clear();
    folders_.clear();
    folderExisted_.clear();
    Queue(c.replies);
    ServiceSource source = Source();
    EXPECT_TRUE(c.ask(&source)) << c.what;
    ASSERT_EQ(c.replies.size(), requests_.size()) << c.what;
    for (size_t i = 0; i < requests_.size(); ++i) {
      const std::filesystem::path folder(folders_[i]);
      EXPECT_TRUE(folder.is_absolute()) << c.what << ": " << folders_[i];
      EXPECT_TRUE(folderExisted_[i]) << c.what;
      EXPECT_EQ(0u, folder.filename().string().rfind("florrin-", 0)) << c.what;
      EXPECT_NE(std::filesystem::path(dir_.path()), folder) << c.what;
      // Read and gone with its folder.
      EXPECT_FALSE(std::filesystem::exists(folder)) << c.what;
      EXPECT_EQ(kMaxPageBytes, requests_[i].iMaxBytes) << c.what;
    }
    EXPECT_TRUE(std::filesystem::is_empty(dir_.path())) << c.what;
  }
}

TEST_F(ServiceSourceTest, ThePosterGoesWithoutTheCredential) {
  settings_.sToken = "t";
  Queue({Ok("not-json.txt")});
  EXPECT_TRUE(Source().FetchPoster("http://img.test/w500/a.jpg", "A.jpg"));
  const DownloadRequest& r = requests_[0];
  EXPECT_EQ("A.jpg", r.sFile);
  EXPECT_TRUE(r.headers.empty());
  EXPECT_FALSE(r.bPrivate);
  EXPECT_EQ(kMaxPosterBytes, r.iMaxBytes);
  Queue({{404, "gone"}});
  EXPECT_FALSE(Source().FetchPoster("http://img.test/w500/b.jpg", "B.jpg"));
  EXPECT_FALSE(Exists("B.jpg"));
  EXPECT_EQ("http://img.test/w500/b.jpg: the poster: HTTP 404", log_.back());
}

}  // namespace
