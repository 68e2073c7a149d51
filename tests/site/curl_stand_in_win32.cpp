// curl.exe for the Windows tests: a stand-in for the second downloader that
// serves the test site's fixture pages from disk (stand_in_site_win32.h).
//
// Takes what Florrin gives the real curl: "-q", "--fail", "--location",
// "--silent", "--show-error", "--max-time N", "--connect-timeout N",
// "-o FILE", "-D FILE", "--max-filesize N" and "-K FILE", whose "url = ..." and "header = ..."
// lines (double-quoted, with backslash escapes) give the address and the
// request's headers; "--url" and a bare word give an address too. Like the
// real one it writes each answer's status line and headers to the -D file
// (CR LF), the body to the -o file; with "--fail" an HTTP error writes no body
// and exits 22; a redirect is followed only with "--location"; an unknown host
// exits 6; a told length past "--max-filesize N" exits 63 with no file; a
// route that hangs makes it start a lingering child and wait for good, one
// that floods makes it write the -o file without end. Options it does not know make it exit 2, as the real one does, so
// that a test sees an option newer than the oldest curl it stands for.
//
// Environment, beside the site's: FLORRIN_CURL_ARGS, where the argument list
// received is appended, each argument followed by "\n" and the list by one
// more "\n". It also writes noise on its standard output and error, which
// must never reach Florrin's output.
#include <cstdio>
#include <cstdlib>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "stand_in_site_win32.h"

namespace {

struct Options {
  std::string url, file, dump;
  std::vector<std::string> headers;
  bool bFail = false;
  bool bLocation = false;
  long long iMaxFileSize = -1;
};

// The value of a settings line: a double-quoted text with "\" escapes, or a
// bare word.
std::string SettingValue(const std::string& raw) {
  size_t i = raw.find_first_not_of(" \t=:");
  if (i == std::string::npos) return std::string();
  if (raw[i] != '"') {
    const size_t end = raw.find_first_of(" \t\r", i);
    return raw.substr(i, end == std::string::npos ? end : end - i);
  }
  std::string value;
  for (++i; i < raw.size() && raw[i] != '"'; ++i) {
    if (raw[i] == '\\' && i + 1 < raw.size()) ++i;
    value.push_back(raw[i]);
  }
  return value;
}

// The "url" and "header" lines of a -K file; false for any other option,
// which Florrin has no reason to put there.
bool ReadSettings(const std::string& path, Options* options) {
  std::istringstream in(ReadWhole(path));
  std::string line;
  while (std::getline(in, line)) {
    const size_t start = line.find_first_not_of(" \t");
    if (start == std::string::npos || line[start] == '#') continue;
    const size_t end = line.find_first_of(" \t=:", start);
    const std::string name = line.substr(start, end - start);
    const std::string value =
        SettingValue(end == std::string::npos ? "" : line.substr(end));
    if (name == "url") {
      options->url = value;
    } else if (name == "header") {
      options->headers.push_back(value);
    } else {
      return false;
    }
  }
  return true;
}

}  // namespace

int main(int argc, char* argv[]) {
  LingerIfAsked(argc, argv);
  RecordThatIRan();
  // The options of curl 7.55.1 that Florrin may use, and those that take a
  // value.
  static const std::set<std::string> kFlags = {
      "-q", "--fail", "--location", "--silent", "--show-error"};
  static const std::set<std::string> kWithValue = {
      "--max-time", "--connect-timeout", "-o", "-D", "-K", "--url",
      "--max-filesize"};
  Options options;
  std::string args;
  bool bKnown = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    args += arg + "\n";
    if (kWithValue.count(arg) != 0 && i + 1 < argc) {
      const std::string value = argv[++i];
      args += value + "\n";
      if (arg == "-o") options.file = value;
      if (arg == "-D") options.dump = value;
      if (arg == "--url") options.url = value;
      if (arg == "--max-filesize") options.iMaxFileSize = std::atoll(value.c_str());
      if (arg == "-K" && !ReadSettings(value, &options)) bKnown = false;
    } else if (kFlags.count(arg) != 0) {
      if (arg == "--fail") options.bFail = true;
      if (arg == "--location") options.bLocation = true;
    } else if (!arg.empty() && arg[0] != '-') {
      options.url = arg;
    } else {
      bKnown = false;
    }
  }
  Append(Env("FLORRIN_CURL_ARGS"), args + "\n");
  std::printf("noise on stdout\n");
  std::fprintf(stderr, "noise on stderr\n");
  if (!bKnown || options.url.empty()) return 2;

  std::string dump;
  SiteAddress address = ParseAddress(options.url);
  for (int hops = 0;; ++hops) {
    const SiteAnswer answer = AskSite(address, options.headers);
    if (!answer.bKnownHost) {
      std::fprintf(stderr, "curl: (6) Could not resolve host: %s\n",
                   address.host.c_str());
      return 6;
    }
    if (answer.bHang) HangWithAChild();
    dump += "HTTP/1.1 " + std::to_string(answer.iStatus) + " " +
            answer.sReason + "\r\n";
    for (const std::string& header : answer.headers) dump += header + "\r\n";
    if (answer.bFlood) {
      // No length is told: the file grows until the caller ends it.
      if (!options.dump.empty()) WriteWhole(options.dump, dump + "\r\n");
      Flood(options.file);
    }
    dump += "Content-Length: " + std::to_string(answer.body.size()) +
            "\r\n\r\n";
    if (!options.dump.empty()) WriteWhole(options.dump, dump);
    // A told length past the limit is refused before the body comes.
    if (options.iMaxFileSize >= 0 && answer.iStatus < 300 &&
        static_cast<long long>(answer.body.size()) > options.iMaxFileSize) {
      std::fprintf(stderr, "curl: (63) Maximum file size exceeded\n");
      return 63;
    }
    const std::string location = HeaderValue(answer.headers, "Location");
    if (options.bLocation && answer.iStatus >= 300 && answer.iStatus < 400 &&
        !location.empty() && hops < 5) {
      address = ParseAddress(location);
      continue;
    }
    if (options.bFail && answer.iStatus >= 400) {
      std::fprintf(stderr, "curl: (22) The requested URL returned error: %d\n",
                   answer.iStatus);
      return 22;
    }
    // Like the real one, no file for an empty body.
    if (!options.file.empty() && !answer.body.empty()) {
      WriteWhole(options.file, answer.body);
    }
    return 0;
  }
}
