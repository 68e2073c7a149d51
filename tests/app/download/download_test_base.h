// What the download cases share on every system: the site's pages and
// routes, the request they start from, the run that must leave Florrin's own
// output alone, and where they look afterwards. wget_download_<platform>_
// test.cpp puts the downloaders and the site around it.
#ifndef FLORRIN_TESTS_APP_DOWNLOAD_TEST_BASE_H_
#define FLORRIN_TESTS_APP_DOWNLOAD_TEST_BASE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "download.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

// The secret the private requests carry: it must reach the site and be found
// nowhere else.
inline constexpr char kSecret[] = "s3cr3t-T0KEN-4711";

inline bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Each case runs once per downloader, named by the parameter ("wget" or
// "curl"), in a fresh folder whose "site" subfolder the site serves from.
class DownloadTestBase : public ::testing::TestWithParam<const char*> {
 protected:
  // The two pages every case may ask for, and the route to the first; the
  // "site" folder must exist.
  void AddPages() {
    WriteFile(dir_.File("site/page.htm"), "<html>the page</html>\n");
    WriteFile(dir_.File("site/error.json"), "{\"status_message\":\"no\"}");
    Route("www.example.test/page", "page.htm", "", {});
  }

  // Adds a route to the site's routes file: `mode` as the site takes it ("",
  // "status=429", "hang"...), then the answer's extra headers.
  void Route(const std::string& key, const std::string& file,
             const std::string& mode, const std::vector<std::string>& headers) {
    routes_ += key + "\t" + file + "\t" + mode;
    for (const std::string& h : headers) routes_ += "\t" + h;
    routes_ += "\n";
    WriteFile(dir_.File("site/routes.txt"), routes_);
  }

  // Downloads from the "work" folder; what reaches this process's standard
  // output and error is kept in `leaked_`. The POSIX fixture wraps it with
  // the site's environment.
  DownloadResult Fetch(const DownloadRequest& request) {
    ScopedCwd cwd(dir_.File("work"));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const DownloadResult result = Download(request);
    leaked_ = testing::internal::GetCapturedStdout() +
              testing::internal::GetCapturedStderr();
    return result;
  }

  // A request for `url` into "doc.out", with a 20 second limit.
  static DownloadRequest Request(const std::string& url) {
    DownloadRequest request;
    request.sURL = url;
    request.sFile = "doc.out";
    request.iTimeoutSeconds = 20;
    return request;
  }

  bool IsWget() const { return std::string(GetParam()) == "wget"; }
  std::string Work(const std::string& name) {
    return dir_.File("work/" + name);
  }
  // The headers the site received, one "key\theader" line each.
  std::string HeaderLog() { return ReadFile(dir_.File("headers.log")); }

  TempDir dir_;
  std::string routes_;
  std::string leaked_;
};

#endif  // FLORRIN_TESTS_APP_DOWNLOAD_TEST_BASE_H_
