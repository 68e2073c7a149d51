// The test site read from disk, for the stand-in downloaders of the Windows
// tests (wget.exe and curl.exe): they answer from the routes file as
// tests/site/site.py does over the network.
//
// Environment: FLORRIN_SITE_ROOT, the folder holding routes.txt (required);
// FLORRIN_SITE_LOG, where each request's key is appended, one a line;
// FLORRIN_SITE_HEADER_LOG, where each request header is appended as
// "KEY<TAB>Name: value"; FLORRIN_STAND_IN_RAN, where each stand-in appends
// its own whole path when it starts; FLORRIN_STAND_IN_ENV, where each
// stand-in appends its whole environment, one "NAME=value" line each, then
// an empty line; FLORRIN_STAND_IN_PIDS, where a stand-in
// told to hang appends its own process id and its lingering child's.
#ifndef FLORRIN_TESTS_SITE_STAND_IN_SITE_WIN32_H_
#define FLORRIN_TESTS_SITE_STAND_IN_SITE_WIN32_H_

#include <string>
#include <vector>

// The value of the environment variable `name`, or "".
std::string Env(const char* name);

// Appends `text` to the file `path` (nothing when `path` is empty).
void Append(const std::string& path, const std::string& text);

// The whole file `path`, or "" when it cannot be read.
std::string ReadWhole(const std::string& path);

// Writes `bytes` to `path`, replacing it.
void WriteWhole(const std::string& path, const std::string& bytes);

// The local time as a downloader's log shows it.
std::string Now();

// Appends this program's whole path to FLORRIN_STAND_IN_RAN, and its
// environment to FLORRIN_STAND_IN_ENV.
void RecordThatIRan();

// An address taken apart as the real downloaders read it.
struct SiteAddress {
  std::string host;  // small letters, no port
  std::string key;   // host + path + query, percent-decoded
  std::string shown; // the address with a scheme
};
SiteAddress ParseAddress(const std::string& url);

// What the site answers to one request.
struct SiteAnswer {
  bool bKnownHost = false;  // false: the host cannot be resolved
  int iStatus = 404;
  std::string sReason = "Not Found";
  std::vector<std::string> headers;  // "Name: value", extra ones
  std::string body;
  bool bHang = false;  // the route's mode, or a "/hang/" path prefix
  bool bFlood = false;  // mode "flood": a body without length or end
};

// Logs the request (key, then its headers) and answers it from the routes
// file: a host is known when some route is on it; a key without a route is
// a 404; a route "KEY<TAB>FILE<TAB>status=NNN<TAB>Name: value..." gives that
// status and those headers. The modes of tests/site/site.py: "fill=N" gives
// a body of N bytes, "slow" answers a second late, "flood" and "hang" are
// told in the answer for the stand-in to act on.
SiteAnswer AskSite(const SiteAddress& address,
                   const std::vector<std::string>& headers);

// The value of header `name` (any case) among `headers`, or "".
std::string HeaderValue(const std::vector<std::string>& headers,
                        const std::string& name);

// Writes bytes into the file `path` without end, 64 KiB a millisecond at
// most (a fast network's pace): what a downloader does with an answer of
// mode "flood". Never returns: a write
// that fails ends the program with status 3.
[[noreturn]] void Flood(const std::string& path);

// Starts a copy of this program that only waits (for good), records both
// process ids in FLORRIN_STAND_IN_PIDS and waits for good itself: a
// downloader that started another program that lingers. Never returns.
[[noreturn]] void HangWithAChild();

// Called first by main: when the arguments ask this program to be the
// lingering child, waits for good and never returns.
void LingerIfAsked(int argc, char* argv[]);

#endif  // FLORRIN_TESTS_SITE_STAND_IN_SITE_WIN32_H_
