// Download with the real wget and the real curl (FLORRIN_DOWNLOADER=curl)
// against the local test site: statuses, Retry-After, redirects, error
// bodies, headers, the user's wget settings, and the secret that must leave
// no trace on a command line or in a file.
#include <dirent.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>
#include <vector>

#include "download_test_base.h"
#include "local_site.h"
#include "support/scoped_env.h"

namespace {

// The real program `name` from the usual system folders, or "".
std::string SystemProgram(const std::string& name) {
  for (const char* dir : {"/usr/bin", "/bin", "/usr/local/bin"}) {
    const std::string path = std::string(dir) + "/" + name;
    if (access(path.c_str(), X_OK) == 0) return path;
  }
  return "";
}

// The names in the folder `path`, sorted.
std::vector<std::string> ListFolder(const std::string& path) {
  std::vector<std::string> names;
  if (DIR* dir = opendir(path.c_str())) {
    while (dirent* entry = readdir(dir)) {
      const std::string name = entry->d_name;
      if (name != "." && name != "..") names.push_back(name);
    }
    closedir(dir);
  }
  std::sort(names.begin(), names.end());
  return names;
}

}  // namespace

// Each case runs with the named downloader, wrapped by a script on the PATH
// that records its arguments and the mode of its private folder.
class DownloadTest : public DownloadTestBase {
 protected:
  void SetUp() override {
    const std::string real = SystemProgram(GetParam());
    if (real.empty()) GTEST_SKIP() << GetParam() << " is not installed";
    mkdir(dir_.File("bin").c_str(), 0755);
    mkdir(dir_.File("tmp").c_str(), 0755);
    mkdir(dir_.File("work").c_str(), 0755);
    mkdir(dir_.File("site").c_str(), 0755);
    mkdir(dir_.File("home").c_str(), 0755);
    const std::string wrapper = dir_.File(std::string("bin/") + GetParam());
    WriteFile(wrapper,
              "#!/bin/sh\n"
              "printf '%s\\n' \"$@\" >> '" + dir_.File("args.txt") + "'\n"
              "/usr/bin/stat -c %a '" + dir_.File("tmp") + "'/* >> '" +
                  dir_.File("modes.txt") + "' 2>/dev/null\n"
              "exec '" + real + "' \"$@\"\n");
    chmod(wrapper.c_str(), 0755);
    AddPages();
  }

  // Starts the site on the first call (with the routes added so far), then
  // downloads with the site's environment and the wrapper alone on the PATH.
  DownloadResult Fetch(const DownloadRequest& request) {
    if (!site_started_) {
      std::string error;
      site_started_ = site_.Start(dir_.File("site"), dir_.File("requests.log"),
                                  &error, dir_.File("headers.log"));
      if (!site_started_) ADD_FAILURE() << error;
    }
    std::vector<std::unique_ptr<ScopedEnv>> env;
    for (const std::string& entry : site_.DownloaderEnvironment()) {
      const size_t eq = entry.find('=');
      const std::string name = entry.substr(0, eq);
      if (name == "FLORRIN_DOWNLOADER") continue;  // the case's own choice
      env.push_back(std::make_unique<ScopedEnv>(
          name.c_str(),
          eq == std::string::npos ? nullptr : entry.c_str() + eq + 1));
    }
    ScopedEnv path("PATH", dir_.File("bin").c_str());
    return DownloadTestBase::Fetch(request);
  }

  std::string Args() { return ReadFile(dir_.File("args.txt")); }

  // Every file of the working folder and the temporary folder, as one text.
  std::string FilesLeft() {
    std::string all;
    for (const char* folder : {"work", "tmp"}) {
      for (const std::string& name : ListFolder(dir_.File(folder))) {
        all += name + "\n" +
               ReadFile(dir_.File(std::string(folder) + "/" + name));
      }
    }
    return all;
  }
  bool TmpIsEmpty() { return ListFolder(dir_.File("tmp")).empty(); }

  LocalSite site_;
  bool site_started_ = false;
  ScopedEnv downloader_{"FLORRIN_DOWNLOADER", GetParam()};
  ScopedEnv tmpdir_{"TMPDIR", dir_.File("tmp").c_str()};
  ScopedEnv home_{"HOME", dir_.File("home").c_str()};
  ScopedEnv wgetrc_{"WGETRC", nullptr};
};

TEST_P(DownloadTest, PlainPageIsSavedWithItsStatusAndNothingElseRemains) {
  const DownloadResult r = Fetch(Request("http://www.example.test/page"));
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_EQ(200, r.iHttpStatus);
  EXPECT_EQ(-1, r.iRetryAfter);
  EXPECT_EQ("", r.sFailure);
  EXPECT_EQ("<html>the page</html>\n", ReadFile(Work("doc.out")));
  EXPECT_EQ(std::vector<std::string>{"doc.out"}, ListFolder(Work("")));
  EXPECT_TRUE(TmpIsEmpty());
  EXPECT_EQ("", leaked_);
}

TEST_P(DownloadTest, AnAddressWithSpacesReachesTheSite) {
  Route("www.example.test/find?q=Some Film;more=tt", "page.htm", "", {});
  EXPECT_TRUE(
      Fetch(Request("http://www.example.test/find?q=Some Film;more=tt"))
          .bSaved);
}

TEST_P(DownloadTest, AnEmptyDocumentIsSavedAsAnEmptyFile) {
  Route("www.example.test/empty", "", "", {});
  EXPECT_TRUE(Fetch(Request("http://www.example.test/empty")).bSaved);
  EXPECT_TRUE(FileExists(Work("doc.out")));
  EXPECT_EQ("", ReadFile(Work("doc.out")));
}

// --- HTTP errors ---

TEST_P(DownloadTest, AnErrorLeavesNoPageBehind) {
  Route("www.example.test/gone", "error.json", "status=404", {});
  WriteFile(Work("doc.out"), "older copy");
  const DownloadResult r = Fetch(Request("http://www.example.test/gone"));
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(404, r.iHttpStatus);
  EXPECT_TRUE(Contains(r.sFailure, "404")) << r.sFailure;
  EXPECT_FALSE(FileExists(Work("doc.out")));
  EXPECT_EQ("", leaked_);
}

TEST_P(DownloadTest, AKeptErrorBodyIsThereButNotSaved) {
  Route("www.example.test/gone", "error.json", "status=404", {});
  DownloadRequest request = Request("http://www.example.test/gone");
  request.bKeepErrorBody = true;
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(404, r.iHttpStatus);
  EXPECT_EQ("{\"status_message\":\"no\"}", ReadFile(Work("doc.out")));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_P(DownloadTest, AnUnauthorizedAnswerIsToldByItsStatus) {
  // wget drops the body of a 401 whatever it is told; curl keeps it.
  Route("www.example.test/key", "error.json", "status=401", {});
  DownloadRequest request = Request("http://www.example.test/key");
  request.bKeepErrorBody = true;
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(401, r.iHttpStatus);
  EXPECT_TRUE(Contains(r.sFailure, "401")) << r.sFailure;
  if (!IsWget()) {
    EXPECT_EQ("{\"status_message\":\"no\"}", ReadFile(Work("doc.out")));
  }
}

TEST_P(DownloadTest, TooManyRequestsTellsItsRetryAfter) {
  Route("www.example.test/busy", "error.json", "status=429",
        {"Retry-After: 7"});
  DownloadRequest request = Request("http://www.example.test/busy");
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(429, r.iHttpStatus);
  EXPECT_EQ(7, r.iRetryAfter);
  EXPECT_FALSE(FileExists(Work("doc.out")));
}

// --- redirects ---

TEST_P(DownloadTest, ARedirectIsFollowedWhenAllowed) {
  Route("www.example.test/old", "", "status=302",
        {"Location: http://www.example.test/page"});
  const DownloadResult r = Fetch(Request("http://www.example.test/old"));
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_EQ(200, r.iHttpStatus);
  EXPECT_EQ("<html>the page</html>\n", ReadFile(Work("doc.out")));
}

TEST_P(DownloadTest, ARedirectIsNotFollowedWhenForbidden) {
  Route("api.example.test/old", "", "status=302",
        {"Location: http://other.example.test/page"});
  DownloadRequest request = Request("http://api.example.test/old");
  request.bFollowRedirects = false;
  request.bPrivate = true;
  request.headers = {std::string("Authorization: Bearer ") + kSecret};
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(302, r.iHttpStatus);
  EXPECT_FALSE(FileExists(Work("doc.out")));
  EXPECT_FALSE(Contains(ReadFile(dir_.File("requests.log")), "other."));
}

// --- secrets ---

TEST_P(DownloadTest, ASecretHeaderArrivesButIsNowhereElse) {
  Route("api.example.test/3/movie/603", "page.htm", "", {});
  DownloadRequest request = Request("http://api.example.test/3/movie/603");
  request.bPrivate = true;
  request.bFollowRedirects = false;
  request.headers = {std::string("Authorization: Bearer ") + kSecret,
                     "Accept: application/json"};
  const DownloadResult r = Fetch(request);
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_TRUE(Contains(HeaderLog(), std::string("api.example.test/3/movie/"
                                                "603\tAuthorization: Bearer ") +
                                        kSecret));
  EXPECT_FALSE(Contains(Args(), kSecret)) << Args();
  EXPECT_FALSE(Contains(FilesLeft(), kSecret));
  EXPECT_TRUE(TmpIsEmpty());
  EXPECT_EQ("", leaked_);
  // The private folder was the user's alone while the downloader ran.
  EXPECT_EQ("700\n", ReadFile(dir_.File("modes.txt")));
}

TEST_P(DownloadTest, AKeyInTheAddressArrivesButIsNowhereElse) {
  const std::string key = std::string("api.example.test/3/search/movie?"
                                      "api_key=") + kSecret + "&query=Heat";
  Route(key, "page.htm", "", {});
  DownloadRequest request = Request("http://" + key);
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_TRUE(Contains(ReadFile(dir_.File("requests.log")), key));
  EXPECT_FALSE(Contains(Args(), kSecret)) << Args();
  EXPECT_FALSE(Contains(FilesLeft(), kSecret));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_P(DownloadTest, AFailedSecretRequestLeavesNoTraceEither) {
  Route("api.example.test/3/movie/1", "error.json", "status=401", {});
  DownloadRequest request = Request("http://api.example.test/3/movie/1?"
                                    "api_key=" + std::string(kSecret));
  request.bPrivate = true;
  request.headers = {std::string("Authorization: Bearer ") + kSecret};
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_FALSE(Contains(r.sFailure, kSecret));
  EXPECT_FALSE(Contains(Args(), kSecret));
  EXPECT_FALSE(Contains(FilesLeft(), kSecret));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_P(DownloadTest, TheUsersWgetSettingsStillApplyToPrivateRequests) {
  if (!IsWget()) GTEST_SKIP() << "wget's own settings";
  WriteFile(dir_.File("wgetrc"), "# mine\nheader = X-From-User: kept");
  ScopedEnv wgetrc("WGETRC", dir_.File("wgetrc").c_str());
  DownloadRequest request = Request("http://www.example.test/page");
  request.bPrivate = true;
  request.headers = {"X-Request: yes"};
  EXPECT_TRUE(Fetch(request).bSaved);
  EXPECT_TRUE(Contains(HeaderLog(), "X-From-User: kept"));
  EXPECT_TRUE(Contains(HeaderLog(), "X-Request: yes"));
}

TEST_P(DownloadTest, TheWgetrcInTheHomeFolderAppliesWithoutTheVariable) {
  if (!IsWget()) GTEST_SKIP() << "wget's own settings";
  WriteFile(dir_.File("home/.wgetrc"), "header = X-From-Home: kept\n");
  DownloadRequest request = Request("http://www.example.test/page");
  request.bPrivate = true;
  EXPECT_TRUE(Fetch(request).bSaved);
  EXPECT_TRUE(Contains(HeaderLog(), "X-From-Home: kept"));
}

TEST_P(DownloadTest, TheCurlOptionsAreTheAgreedOnes) {
  if (IsWget()) GTEST_SKIP() << "curl's command line";
  Fetch(Request("http://www.example.test/page"));
  const std::string args = Args();
  EXPECT_EQ(0u, args.find("-q\n--fail\n--location\n--silent\n--show-error\n"
                          "--max-time\n20\n--connect-timeout\n20\n-o\n"
                          "doc.out\n-D\n"))
      << args;
  EXPECT_FALSE(Contains(args, "--retry"));
  EXPECT_FALSE(Contains(args, "www.example.test"));
  EXPECT_TRUE(Contains(args, "\n--max-filesize\n16777216\n")) << args;
}

TEST_P(DownloadTest, APrivateRequestIsSentOnce) {
  if (!IsWget()) GTEST_SKIP() << "wget's command line";
  DownloadRequest request = Request("http://www.example.test/page");
  request.bPrivate = true;
  Fetch(request);
  EXPECT_TRUE(Contains(Args(), "\n--tries=1\n")) << Args();
  EXPECT_FALSE(Contains(Args(), "--tries=3")) << Args();
}

// --- limits ---

TEST_P(DownloadTest, ASiteThatNeverAnswersEndsAtTheLimitWithNothingLeft) {
  Route("www.example.test/silent", "page.htm", "hang", {});
  DownloadRequest request = Request("http://www.example.test/silent");
  request.iTimeoutSeconds = 2;
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_NE("", r.sFailure);
  EXPECT_FALSE(FileExists(Work("doc.out")));
  EXPECT_TRUE(TmpIsEmpty());
}

TEST_P(DownloadTest, ALineBreakInAHeaderIsRefusedBeforeAnyRequest) {
  DownloadRequest request = Request("http://www.example.test/page");
  request.headers = {"X-A: 1\r\nX-B: 2"};
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_FALSE(FileExists(dir_.File("args.txt")));
}

INSTANTIATE_TEST_SUITE_P(Downloaders, DownloadTest,
                         ::testing::Values("wget", "curl"),
                         [](const auto& info) {
                           return std::string(info.param);
                         });
