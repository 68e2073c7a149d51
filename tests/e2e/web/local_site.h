// The local stand-in for the movie site (tests/site/site.py), started and
// stopped by the tests themselves: no service is needed from the machine.
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

  // Starts `python` on the server script `script` serving the routes of the
  // fixture folder `root`, with its request log in `log`, and waits until it
  // has told its port. False (with a reason in `*error`) when it did not
  // start.
  bool Start(const std::string& python, const std::string& script,
             const std::string& root, const std::string& log,
             std::string* error);

  // Stops the site and waits for it. Safe to call more than once.
  void Stop();

  // The port the site listens on, on 127.0.0.1.
  int port() const { return port_; }

  // The environment entries that route a downloader through the site:
  // http_proxy set to it, and every other proxy setting removed.
  std::vector<std::string> ProxyEnvironment() const;

  // The requests logged so far, one "host+path?query" (decoded) each; and
  // a way to start the log afresh.
  std::vector<std::string> Requests() const;
  void ClearRequests() const;

 private:
  int pid_ = -1;
  int port_ = 0;
  std::string log_;
};

#endif  // FLORRIN_TESTS_E2E_WEB_LOCAL_SITE_H_
