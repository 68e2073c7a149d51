// The local stand-in for the movie site, started and stopped by the tests
// themselves: no service is needed from the machine. On POSIX systems it is
// tests/site/site.py, reached by the real wget through its proxy setting; on
// Windows it is the stand-in downloader wget.exe (tests/site), put first on
// the PATH, which serves the same routes from disk.
#ifndef FLORRIN_TESTS_E2E_WEB_LOCAL_SITE_H_
#define FLORRIN_TESTS_E2E_WEB_LOCAL_SITE_H_

#include <string>
#include <vector>

class LocalSite {
 public:
  LocalSite() = default;
  ~LocalSite();  // stops the site
  LocalSite(const LocalSite&) = delete;
  LocalSite& operator=(const LocalSite&) = delete;

  // Starts the site serving the routes of the fixture folder `root`, with
  // its request log in `log` (and, unless `headerLog` is empty, the headers
  // of each request in `headerLog`, one "KEY<TAB>Name: value" line each),
  // and waits until it is ready. False (with a reason in `*error`) when it
  // did not start.
  bool Start(const std::string& root, const std::string& log,
             std::string* error, const std::string& headerLog = "");

  // Stops the site and waits for it. Safe to call more than once.
  void Stop();

  // The environment entries that make Florrin's downloader reach the site
  // (on POSIX: http_proxy set to it, and every other proxy setting removed).
  // When the test run's FLORRIN_TEST_DOWNLOADER is "curl", they also make
  // Florrin download with curl (on Windows the stand-in curl.exe alone on
  // the PATH): the same suite then runs with the second downloader.
  std::vector<std::string> DownloaderEnvironment() const;

  // The requests logged so far, one "host+path?query" (decoded) each; and
  // a way to start the log afresh.
  std::vector<std::string> Requests() const;
  void ClearRequests() const;

 private:
  int pid_ = -1;
  int port_ = 0;
  std::string root_;
  std::string log_;
};

#endif  // FLORRIN_TESTS_E2E_WEB_LOCAL_SITE_H_
