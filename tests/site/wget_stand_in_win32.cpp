// wget.exe for the Windows tests: a stand-in for the downloader that serves
// the test site's fixture pages from disk instead of the network
// (stand_in_site_win32.h).
//
// Takes the command lines Florrin gives the real downloader: options (among
// them "-O FILE" and "-o LOG"), then "--" and the address; or, for a private
// request, "--config=FILE" (its "header = ..." lines are the request's
// headers), "-S", "--max-redirect=0", "--content-on-error" and "-i FILE"
// (the address on its first line). It writes the page to FILE and a log in
// the real downloader's words to LOG (with CR LF line ends, as programs on
// Windows write them): success, an HTTP error, or a host that cannot be
// resolved. With "-S" each answer's status line and headers are in the log,
// indented, as the real one writes them. FILE is created even when nothing
// is found, as the real downloader does; an error's body is written to it
// only with "--content-on-error", and never for a 401. A redirect is followed unless
// "--max-redirect=0". A route that hangs makes it start a lingering child
// and wait for good; one that floods makes it write the file without end.
//
// Environment, beside the site's: FLORRIN_WGET_ARGS, where the argument list
// received is appended, each argument followed by "\n" and the list by one
// more "\n"; FLORRIN_WGET_ENV, where "LC_ALL=... LANGUAGE=...\n" is appended
// ("unset" for a missing one). It also writes noise on its standard output
// and error, which must never reach Florrin's output.
#include <cstdio>
#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "stand_in_site_win32.h"

namespace {

struct Options {
  std::string url, file, log;
  std::vector<std::string> headers;
  bool bServerResponse = false;
  bool bContentOnError = false;
  bool bNoRedirects = false;
};

std::string Trimmed(const std::string& s) {
  const size_t start = s.find_first_not_of(" \t\r\n");
  if (start == std::string::npos) return std::string();
  const size_t end = s.find_last_not_of(" \t\r\n");
  return s.substr(start, end - start + 1);
}

// The "header = ..." lines of a settings file.
void ReadSettings(const std::string& path, Options* options) {
  std::istringstream in(ReadWhole(path));
  std::string line;
  while (std::getline(in, line)) {
    const std::string t = Trimmed(line);
    if (t.empty() || t[0] == '#') continue;
    const size_t eq = t.find('=');
    if (eq == std::string::npos) continue;
    if (Trimmed(t.substr(0, eq)) == "header") {
      options->headers.push_back(Trimmed(t.substr(eq + 1)));
    }
  }
}

// The answer's lines as "-S" shows them.
std::string ServerResponse(const SiteAnswer& answer) {
  std::string text = "\r\n  HTTP/1.1 " + std::to_string(answer.iStatus) +
                     " " + answer.sReason + "\r\n";
  for (const std::string& header : answer.headers) {
    text += "  " + header + "\r\n";
  }
  return text + "  Content-Length: " + std::to_string(answer.body.size()) +
         "\r\n";
}

}  // namespace

int main(int argc, char* argv[]) {
  LingerIfAsked(argc, argv);
  RecordThatIRan();
  Options options;
  std::string args;
  bool bOptions = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    args += arg + "\n";
    const bool bHasValue = i + 1 < argc;
    if (!bOptions || arg.empty() || arg[0] != '-') {
      options.url = arg;
    } else if (arg == "--") {
      bOptions = false;
    } else if ((arg == "-O" || arg == "-o" || arg == "-i") && bHasValue) {
      ++i;
      args += std::string(argv[i]) + "\n";
      if (arg == "-O") options.file = argv[i];
      if (arg == "-o") options.log = argv[i];
      if (arg == "-i") {
        std::istringstream in(ReadWhole(argv[i]));
        std::getline(in, options.url);
        options.url = Trimmed(options.url);
      }
    } else if (arg.compare(0, 9, "--config=") == 0) {
      ReadSettings(arg.substr(9), &options);
    } else if (arg == "-S") {
      options.bServerResponse = true;
    } else if (arg == "--content-on-error") {
      options.bContentOnError = true;
    } else if (arg == "--max-redirect=0") {
      options.bNoRedirects = true;
    }
  }
  Append(Env("FLORRIN_WGET_ARGS"), args + "\n");
  const char* lc_all = std::getenv("LC_ALL");
  const char* language = std::getenv("LANGUAGE");
  Append(Env("FLORRIN_WGET_ENV"),
         std::string("LC_ALL=") + (lc_all ? lc_all : "unset") +
             " LANGUAGE=" + (language ? language : "unset") + "\n");
  std::printf("noise on stdout\n");
  std::fprintf(stderr, "noise on stderr\n");

  if (!options.file.empty()) WriteWhole(options.file, "");
  std::string text;
  SiteAddress address = ParseAddress(options.url);
  // Redirects, as the real one follows them: at most a few.
  for (int hops = 0;; ++hops) {
    text += "--" + Now() + "--  " + address.shown + "\r\n";
    const SiteAnswer answer = AskSite(address, options.headers);
    const std::string& host = address.host;
    if (!answer.bKnownHost) {
      text += "Resolving " + host + " (" + host + ")... failed: No such host "
              "is known. \r\nwget: unable to resolve host address '" + host +
              "'\r\n";
      Append(options.log, text);
      return 4;
    }
    text += "Resolving " + host + " (" + host + ")... 127.0.0.1\r\n"
            "Connecting to " + host + " (" + host + ")|127.0.0.1|:80... "
            "connected.\r\nHTTP request sent, awaiting response... ";
    if (answer.bHang) {
      Append(options.log, text);
      HangWithAChild();
    }
    const std::string status =
        std::to_string(answer.iStatus) + " " + answer.sReason;
    text += options.bServerResponse ? ServerResponse(answer) : status + "\r\n";
    if (answer.bFlood) {
      text += "Length: unspecified\r\nSaving to: '" + options.file + "'\r\n";
      Append(options.log, text);
      Flood(options.file);
    }
    const std::string location = HeaderValue(answer.headers, "Location");
    if (answer.iStatus >= 300 && answer.iStatus < 400 && !location.empty()) {
      text += "Location: " + location + " [following]\r\n";
      if (options.bNoRedirects || hops == 5) {
        text += "0 redirections exceeded.\r\n";
        Append(options.log, text);
        return 8;
      }
      address = ParseAddress(location);
      continue;
    }
    if (answer.iStatus == 401) {
      // The real one drops a 401's body whatever it is told.
      text += "\r\nUsername/Password Authentication Failed.\r\n";
      Append(options.log, text);
      return 6;
    }
    if (answer.iStatus != 200) {
      text += Now() + " ERROR " + status + ".\r\n\r\n";
      if (options.bContentOnError) WriteWhole(options.file, answer.body);
      Append(options.log, text);
      return 8;
    }
    WriteWhole(options.file, answer.body);
    const std::string size = std::to_string(answer.body.size());
    text += "Length: " + size + "\r\nSaving to: '" + options.file +
            "'\r\n\r\n     0K                              100% 1.00M=0s\r\n"
            "\r\n" + Now() + " (1.00 MB/s) - '" + options.file +
            "' saved [" + size + "/" + size + "]\r\n\r\n";
    Append(options.log, text);
    return 0;
  }
}
