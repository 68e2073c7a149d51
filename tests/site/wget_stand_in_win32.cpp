// wget.exe for the Windows tests: a stand-in for the downloader that serves
// the test site's fixture pages from disk instead of the network.
//
// Takes the command line Florrin gives the real downloader, options (among
// them "-O FILE" and "-o LOG"), then "--" and the address, and maps the address to a page by the site's
// routes file, as tests/site/site.py does: host + path + query, the scheme
// dropped, the host in small letters, percent-decoded. It writes the page to
// FILE and a log in the real downloader's words to LOG (with CR LF line
// ends, as programs on Windows write them): success, "404 Not Found" for an
// address without a route, and a host that cannot be resolved for any host
// but the site's. FILE is created even when nothing is found, as the real
// downloader does.
//
// Environment: FLORRIN_SITE_ROOT, the folder holding routes.txt (required);
// FLORRIN_SITE_LOG, where each request's key is appended, one a line;
// FLORRIN_WGET_ARGS, where the argument list received is appended, each
// argument followed by "\n" and the list by one more "\n"; FLORRIN_WGET_ENV,
// where "LC_ALL=... LANGUAGE=...\n" is appended ("unset" for a missing one).
// It also writes noise on its standard output and error, which must never
// reach Florrin's output.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>

namespace {

const char kSiteHost[] = "www.imdb.com";

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

void Append(const std::string& path, const std::string& text) {
  if (path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text;
}

int Hex(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  return -1;
}

std::string PercentDecoded(const std::string& s) {
  std::string out;
  for (size_t i = 0; i < s.size(); ++i) {
    if (s[i] == '%' && i + 2 < s.size() && Hex(s[i + 1]) >= 0 &&
        Hex(s[i + 2]) >= 0) {
      out.push_back(static_cast<char>(Hex(s[i + 1]) * 16 + Hex(s[i + 2])));
      i += 2;
    } else {
      out.push_back(s[i]);
    }
  }
  return out;
}

// The page file named for `key` in the routes file, or empty.
std::string Route(const std::string& root, const std::string& key) {
  std::ifstream routes(root + "/routes.txt", std::ios::binary);
  std::string line;
  while (std::getline(routes, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const size_t tab = line.find('\t');
    if (tab != std::string::npos && line.compare(0, tab, key) == 0 &&
        tab == key.size()) {
      // A third column names a mode of the real site; the page is the second.
      const size_t end = line.find('\t', tab + 1);
      return root + "/" + line.substr(tab + 1, end == std::string::npos
                                                   ? std::string::npos
                                                   : end - tab - 1);
    }
  }
  return std::string();
}

std::string Now() {
  char buf[32];
  const std::time_t t = std::time(nullptr);
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  return buf;
}

}  // namespace

int main(int argc, char* argv[]) {
  std::string args, url, file, log;
  bool options = true;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    args += arg + "\n";
    if (!options || arg.empty() || arg[0] != '-') {
      url = arg;
    } else if (arg == "--") {
      options = false;
    } else if ((arg == "-O" || arg == "-o") && i + 1 < argc) {
      ++i;
      (arg == "-O" ? file : log) = argv[i];
      args += std::string(argv[i]) + "\n";
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

  // The address as the real downloader reads it: scheme optional.
  std::string rest = url;
  const size_t scheme = rest.find("://");
  if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
  const size_t slash = rest.find('/');
  std::string host = rest.substr(0, slash);
  const std::string path = slash == std::string::npos ? "/" : rest.substr(slash);
  host = host.substr(0, host.find(':'));
  for (char& c : host) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  const std::string shown = scheme == std::string::npos ? "http://" + url : url;

  std::string text = "--" + Now() + "--  " + shown + "\r\n";
  if (!file.empty()) std::ofstream(file, std::ios::binary | std::ios::trunc);
  if (host != kSiteHost) {
    text += "Resolving " + host + " (" + host + ")... failed: No such host "
            "is known. \r\nwget: unable to resolve host address '" + host +
            "'\r\n";
    Append(log, text);
    return 4;
  }
  const std::string key = PercentDecoded(host + path);
  Append(Env("FLORRIN_SITE_LOG"), key + "\n");
  text += "Resolving " + host + " (" + host + ")... 127.0.0.1\r\n"
          "Connecting to " + host + " (" + host + ")|127.0.0.1|:80... "
          "connected.\r\nHTTP request sent, awaiting response... ";
  const std::string page = Route(Env("FLORRIN_SITE_ROOT"), key);
  std::ifstream in(page, std::ios::binary);
  if (page.empty() || !in) {
    text += "404 Not Found\r\n" + Now() + " ERROR 404: Not Found.\r\n\r\n";
    Append(log, text);
    return 8;
  }
  const std::string body((std::istreambuf_iterator<char>(in)),
                         std::istreambuf_iterator<char>());
  std::ofstream(file, std::ios::binary | std::ios::trunc) << body;
  const std::string size = std::to_string(body.size());
  text += "200 OK\r\nLength: " + size + "\r\nSaving to: '" + file +
          "'\r\n\r\n     0K                              100% 1.00M=0s\r\n\r\n" +
          Now() + " (1.00 MB/s) - '" + file + "' saved [" + size + "/" + size +
          "]\r\n\r\n";
  Append(log, text);
  return 0;
}
