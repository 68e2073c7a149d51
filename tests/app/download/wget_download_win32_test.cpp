// Download on Windows with the stand-in wget.exe and curl.exe (tests/site):
// the options each is given, the secret kept off their command lines and out
// of every file left behind, statuses, redirects, error bodies, and the time
// limit that ends the downloader with the program it started.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "download-folder.h"
#include "download_test_base.h"
#include "support/file_util.h"
#include "support/run_program.h"
#include "support/scoped_env.h"

namespace {

// Every file under `folder` (names and bytes), as one text.
std::string AllFiles(const std::string& folder) {
  std::string all;
  std::error_code ec;
  for (const auto& entry :
       std::filesystem::recursive_directory_iterator(folder, ec)) {
    all += entry.path().string() + "\n";
    if (entry.is_regular_file()) all += ReadFile(entry.path().string());
  }
  return all;
}

bool FolderIsEmpty(const std::string& folder) {
  std::error_code ec;
  return std::filesystem::is_empty(folder, ec);
}

// Whether the process `pid` is gone within a few seconds; one that is not
// is ended, so that a failing test leaves nothing running.
bool EndsSoon(DWORD pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (process == nullptr) return true;
  const bool bEnded = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  if (!bEnded) TerminateProcess(process, 1);
  CloseHandle(process);
  return bEnded;
}

}  // namespace

class DownloadTest : public DownloadTestBase {
 protected:
  void SetUp() override {
    for (const char* folder : {"tmp", "work", "site"}) {
      std::filesystem::create_directory(dir_.File(folder));
    }
    AddPages();
  }

  // The argument lists the downloader received.
  std::string Args() {
    return ReadFile(dir_.File(IsWget() ? "wget-args.txt" : "curl-args.txt"));
  }

  // Only the chosen stand-in's folder on the PATH, and forced too.
  ScopedEnv path_{"PATH", WindowsPath(std::string(GetParam()) == "wget"
                                          ? STAND_IN_WGET_DIR
                                          : STAND_IN_CURL_DIR)};
  ScopedEnv downloader_{"FLORRIN_DOWNLOADER", std::string(GetParam())};
  ScopedEnv tmp_{"TMP", WindowsPath(dir_.File("tmp"))};
  ScopedEnv temp_{"TEMP", WindowsPath(dir_.File("tmp"))};
  ScopedEnv root_{"FLORRIN_SITE_ROOT", dir_.File("site")};
  ScopedEnv log_{"FLORRIN_SITE_LOG", dir_.File("requests.log")};
  ScopedEnv headerLog_{"FLORRIN_SITE_HEADER_LOG", dir_.File("headers.log")};
  ScopedEnv wgetArgs_{"FLORRIN_WGET_ARGS", dir_.File("wget-args.txt")};
  ScopedEnv curlArgs_{"FLORRIN_CURL_ARGS", dir_.File("curl-args.txt")};
  ScopedEnv pids_{"FLORRIN_STAND_IN_PIDS", dir_.File("pids.txt")};
  ScopedEnv home_{"HOME", dir_.File("work")};
  ScopedEnv wgetrc_{"WGETRC", nullptr};
};

TEST_P(DownloadTest, PlainPageIsSavedAndNothingElseRemains) {
  const DownloadResult r = Fetch(Request("http://www.example.test/page"));
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_EQ(200, r.iHttpStatus);
  EXPECT_EQ("<html>the page</html>\n", ReadFile(Work("doc.out")));
  EXPECT_TRUE(FolderIsEmpty(dir_.File("tmp")));
  EXPECT_EQ("", leaked_);
}

TEST_P(DownloadTest, TheOptionsAreTheAgreedOnes) {
  Fetch(Request("http://www.example.test/page"));
  const std::string args = Args();
  if (IsWget()) {
    EXPECT_EQ("--verbose\n--no-quiet\n--timeout=20\n--tries=1\n-O\ndoc.out\n"
              "-o\ntempout\n--\nhttp://www.example.test/page\n\n",
              args);
    return;
  }
  EXPECT_EQ(0u, args.find("-q\n--fail\n--location\n--silent\n--show-error\n"
                          "--max-time\n20\n--connect-timeout\n20\n-o\n"
                          "doc.out\n-D\n"))
      << args;
  EXPECT_TRUE(Contains(args, "\n-K\n")) << args;
  EXPECT_TRUE(Contains(args, "\n--max-filesize\n16777216\n")) << args;
}

TEST_P(DownloadTest, AnErrorLeavesNoPageBehindUnlessItsBodyIsKept) {
  Route("www.example.test/gone", "error.json", "status=404", {});
  DownloadResult r = Fetch(Request("http://www.example.test/gone"));
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(404, r.iHttpStatus);
  EXPECT_FALSE(FileExists(Work("doc.out")));

  DownloadRequest keep = Request("http://www.example.test/gone");
  keep.bKeepErrorBody = true;
  keep.bPrivate = true;
  r = Fetch(keep);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(404, r.iHttpStatus);
  EXPECT_EQ("{\"status_message\":\"no\"}", ReadFile(Work("doc.out")));
}

TEST_P(DownloadTest, TooManyRequestsTellsItsRetryAfter) {
  Route("api.example.test/busy", "error.json", "status=429",
        {"Retry-After: 7"});
  DownloadRequest request = Request("http://api.example.test/busy");
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(429, r.iHttpStatus);
  EXPECT_EQ(7, r.iRetryAfter);
}

TEST_P(DownloadTest, ARedirectIsFollowedOnlyWhenAllowed) {
  Route("www.example.test/old", "", "status=302",
        {"Location: http://www.example.test/page"});
  EXPECT_TRUE(Fetch(Request("http://www.example.test/old")).bSaved);
  DownloadRequest request = Request("http://www.example.test/old");
  request.bFollowRedirects = false;
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_EQ(302, r.iHttpStatus);
  EXPECT_FALSE(FileExists(Work("doc.out")));
  // The second run's argument list, after the first one's.
  const std::string args = Args();
  const std::string second = args.substr(args.find("\n\n") + 2);
  if (IsWget()) {
    EXPECT_TRUE(Contains(second, "\n--max-redirect=0\n")) << second;
  } else {
    EXPECT_FALSE(Contains(second, "--location")) << second;
  }
}

TEST_P(DownloadTest, TheSecretArrivesButIsOnNoCommandLineAndInNoFileLeft) {
  const std::string key =
      std::string("api.example.test/3/movie/603?api_key=") + kSecret;
  Route(key, "page.htm", "", {});
  DownloadRequest request = Request("http://" + key);
  request.bPrivate = true;
  request.bFollowRedirects = false;
  request.bKeepErrorBody = true;
  request.headers = {std::string("Authorization: Bearer ") + kSecret};
  const DownloadResult r = Fetch(request);
  EXPECT_TRUE(r.bSaved) << r.sFailure;
  EXPECT_TRUE(Contains(HeaderLog(), std::string("Authorization: Bearer ") +
                                        kSecret));
  EXPECT_TRUE(Contains(ReadFile(dir_.File("requests.log")), key));
  EXPECT_NE("", Args());
  EXPECT_FALSE(Contains(Args(), kSecret)) << Args();
  EXPECT_FALSE(Contains(AllFiles(dir_.File("work")), kSecret));
  EXPECT_TRUE(FolderIsEmpty(dir_.File("tmp")));
  EXPECT_EQ("", leaked_);
}

TEST_P(DownloadTest, TheUsersWgetSettingsComeBeforeTheHeaders) {
  if (!IsWget()) GTEST_SKIP() << "wget's own settings";
  WriteFile(dir_.File("wgetrc"), "header = X-From-User: kept");
  ScopedEnv wgetrc("WGETRC", dir_.File("wgetrc"));
  DownloadRequest request = Request("http://www.example.test/page");
  request.headers = {"X-Request: yes"};
  EXPECT_TRUE(Fetch(request).bSaved);
  EXPECT_EQ("www.example.test/page\tX-From-User: kept\n"
            "www.example.test/page\tX-Request: yes\n",
            HeaderLog());
}

TEST_P(DownloadTest, TheLimitEndsTheDownloaderWithTheProgramItStarted) {
  Route("www.example.test/silent", "page.htm", "hang", {});
  DownloadRequest request = Request("http://www.example.test/silent");
  request.iTimeoutSeconds = 2;
  request.bPrivate = true;
  const DownloadResult r = Fetch(request);
  EXPECT_FALSE(r.bSaved);
  EXPECT_TRUE(Contains(r.sFailure, "time limit")) << r.sFailure;
  EXPECT_FALSE(FileExists(Work("doc.out")));
  EXPECT_TRUE(FolderIsEmpty(dir_.File("tmp")));
  const std::string pids = ReadFile(dir_.File("pids.txt"));
  ASSERT_EQ(2, std::count(pids.begin(), pids.end(), '\n')) << pids;
  const DWORD downloader = std::strtoul(pids.c_str(), nullptr, 10);
  const DWORD child =
      std::strtoul(pids.c_str() + pids.find('\n') + 1, nullptr, 10);
  EXPECT_TRUE(EndsSoon(downloader));
  EXPECT_TRUE(EndsSoon(child)) << "the downloader's child still runs";
}

TEST_P(DownloadTest, CtrlCEndsTheDownloaderAndRemovesWhatItHeld) {
  // The probe downloads from "work" with this test's environment, and
  // interrupts itself once the stand-in hangs.
  Route("www.example.test/silent", "page.htm", "hang", {});
  const RunResult r = RunProgram(GUARD_PROBE_EXE, {}, dir_.File("work"), {}, 60);
  EXPECT_FALSE(r.timed_out);
  EXPECT_EQ(static_cast<int>(0xC000013AU), r.exit_code) << r.out << r.err;
  EXPECT_EQ("", r.out);
  const std::string pids = ReadFile(dir_.File("pids.txt"));
  ASSERT_EQ(2, std::count(pids.begin(), pids.end(), '\n')) << pids;
  const DWORD downloader = std::strtoul(pids.c_str(), nullptr, 10);
  const DWORD child =
      std::strtoul(pids.c_str() + pids.find('\n') + 1, nullptr, 10);
  EXPECT_TRUE(EndsSoon(downloader));
  EXPECT_TRUE(EndsSoon(child)) << "the downloader's child still runs";
  EXPECT_FALSE(FileExists(Work("doc.out")));
  EXPECT_TRUE(FolderIsEmpty(dir_.File("tmp")));
}

INSTANTIATE_TEST_SUITE_P(Downloaders, DownloadTest,
                         ::testing::Values("wget", "curl"),
                         [](const auto& info) {
                           return std::string(info.param);
                         });

// The private folder takes no file twice and goes with what it held. (Its
// access list, for the user alone, cannot be checked here: Wine reports its
// own default list for every file whatever was set.)
TEST(DownloadFolderTest, ItGoesWithItsFiles) {
  std::string path;
  {
    DownloadFolder folder;
    ASSERT_TRUE(folder.ok());
    ASSERT_TRUE(folder.Write("secret", "abc"));
    EXPECT_FALSE(folder.Write("secret", "again")) << "an existing file";
    EXPECT_EQ("abc", ReadFile(folder.File("secret")));
    path = folder.File("");
  }
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesA(path.c_str()));
}
