#include "stand_in_site_win32.h"

#include <windows.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iterator>
#include <sstream>

namespace {

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

std::string Lower(std::string s) {
  for (char& c : s) {
    c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  return s;
}

std::vector<std::string> SplitTabs(const std::string& line) {
  std::vector<std::string> fields;
  size_t start = 0;
  for (;;) {
    const size_t tab = line.find('\t', start);
    fields.push_back(line.substr(start, tab - start));
    if (tab == std::string::npos) return fields;
    start = tab + 1;
  }
}

const char* Reason(int status) {
  switch (status) {
    case 200: return "OK";
    case 301: return "Moved Permanently";
    case 302: return "Found";
    case 401: return "Unauthorized";
    case 404: return "Not Found";
    case 429: return "Too Many Requests";
    case 500: return "Internal Server Error";
    default: return "Status";
  }
}

// The host of `key`: its part before the first "/".
std::string HostOf(const std::string& key) {
  return key.substr(0, key.find('/'));
}

// --- the movie service's API stand-in, as in tests/site/site.py ---
// Requests to kApiHost need the test credential (the token in an
// "Authorization: Bearer" header, or the key as the query's "api_key");
// without it they get the route "api-denied". The key is taken out of the
// request's key. A route "KEY #N" answers only the N-th request for KEY
// (counted in the site log), and a key without a route gets
// "api-not-found".
const char kApiHost[] = "api.tmdb.test";
const char kApiToken[] = "test-token-7f3a";
const char kApiKey[] = "test-key-19c2";

// `key` without its api_key parameter; `*pAllowed` tells whether the
// request carried the test credential.
std::string ApiKey(const std::string& key,
                   const std::vector<std::string>& headers, bool* pAllowed) {
  const size_t mark = key.find('?');
  std::string kept = key.substr(0, mark);
  std::vector<std::string> keys;
  std::string query = mark == std::string::npos ? "" : key.substr(mark + 1);
  char join = '?';
  while (!query.empty()) {
    const size_t amp = query.find('&');
    const std::string param = query.substr(0, amp);
    query = amp == std::string::npos ? "" : query.substr(amp + 1);
    if (param.compare(0, 8, "api_key=") == 0) {
      keys.push_back(param.substr(8));
    } else {
      kept += join + param;
      join = '&';
    }
  }
  std::string auth;
  bool bAuth = false;
  for (const std::string& header : headers) {
    const size_t colon = header.find(':');
    if (colon != std::string::npos &&
        Lower(header.substr(0, colon)) == "authorization") {
      auth = header.substr(colon + 1);
      while (!auth.empty() && auth[0] == ' ') auth.erase(0, 1);
      bAuth = true;
    }
  }
  *pAllowed = bAuth ? auth == std::string("Bearer ") + kApiToken
                    : keys.size() == 1 && keys[0] == kApiKey;
  return kept;
}

// How many times `key` stands alone on a line of the site log `log`.
int TimesAsked(const std::string& log, const std::string& key) {
  std::istringstream lines(ReadWhole(log));
  std::string line;
  int n = 0;
  while (std::getline(lines, line)) {
    if (line == key) ++n;
  }
  return n;
}

[[noreturn]] void WaitForGood() {
  for (;;) Sleep(INFINITE);
}

}  // namespace

std::string Env(const char* name) {
  const char* value = std::getenv(name);
  return value == nullptr ? std::string() : std::string(value);
}

void Append(const std::string& path, const std::string& text) {
  if (path.empty()) return;
  std::ofstream out(path, std::ios::binary | std::ios::app);
  out << text;
}

std::string ReadWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return std::string();
  return std::string((std::istreambuf_iterator<char>(in)),
                     std::istreambuf_iterator<char>());
}

void WriteWhole(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary | std::ios::trunc) << bytes;
}

std::string Now() {
  char buf[32];
  const std::time_t t = std::time(nullptr);
  std::strftime(buf, sizeof buf, "%Y-%m-%d %H:%M:%S", std::localtime(&t));
  return buf;
}

void RecordThatIRan() {
  char path[MAX_PATH];
  const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
  Append(Env("FLORRIN_STAND_IN_RAN"), std::string(path, n) + "\n");
  std::string env;
  for (char** e = _environ; e != nullptr && *e != nullptr; ++e) {
    env += std::string(*e) + "\n";
  }
  Append(Env("FLORRIN_STAND_IN_ENV"), env + "\n");
}

SiteAddress ParseAddress(const std::string& url) {
  SiteAddress address;
  std::string rest = url;
  const size_t scheme = rest.find("://");
  if (scheme != std::string::npos) rest = rest.substr(scheme + 3);
  const size_t slash = rest.find('/');
  std::string host = rest.substr(0, slash);
  const std::string path =
      slash == std::string::npos ? "/" : rest.substr(slash);
  address.host = Lower(host.substr(0, host.find(':')));
  address.key = PercentDecoded(address.host + path);
  address.shown = scheme == std::string::npos ? "http://" + url : url;
  return address;
}

SiteAnswer AskSite(const SiteAddress& address,
                   const std::vector<std::string>& headers) {
  SiteAnswer answer;
  const std::string root = Env("FLORRIN_SITE_ROOT");
  const bool bApi = address.host == kApiHost;
  bool bAllowed = true;
  const std::string key =
      bApi ? ApiKey(address.key, headers, &bAllowed) : address.key;
  // The routes a request may take, first found first.
  std::vector<std::string> wanted = {key};
  if (bApi) {
    const int nth = TimesAsked(Env("FLORRIN_SITE_LOG"), key) + 1;
    wanted = {key + " #" + std::to_string(nth), key, "api-not-found"};
    if (!bAllowed) wanted = {"api-denied"};
  }
  std::istringstream routes(ReadWhole(root + "/routes.txt"));
  std::string line;
  std::vector<std::string> route;
  size_t iRank = wanted.size();
  while (std::getline(routes, line)) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    const std::vector<std::string> fields = SplitTabs(line);
    if (HostOf(fields[0]) == address.host) answer.bKnownHost = true;
    for (size_t i = 0; i < iRank; ++i) {
      if (fields[0] == wanted[i]) {
        route = fields;
        iRank = i;
      }
    }
  }
  if (!answer.bKnownHost) return answer;

  Append(Env("FLORRIN_SITE_LOG"), key + "\n");
  for (const std::string& header : headers) {
    Append(Env("FLORRIN_SITE_HEADER_LOG"), key + "\t" + header + "\n");
  }
  // A "/hang/" prefix asks any address to hang, as on the real site.
  const std::string host = HostOf(address.key);
  if (address.key.compare(host.size(), 6, "/hang/") == 0) {
    answer.bHang = true;
    return answer;
  }
  if (route.empty() || route.size() < 2) return answer;
  const std::string mode = route.size() > 2 ? route[2] : "";
  answer.bHang = mode == "hang";
  answer.bFlood = mode == "flood";
  if (mode == "slow") Sleep(1000);
  answer.iStatus = 200;
  if (mode.compare(0, 7, "status=") == 0) {
    answer.iStatus = std::atoi(mode.c_str() + 7);
  }
  if (mode.compare(0, 5, "fill=") == 0) {
    answer.body.assign(static_cast<size_t>(std::atoll(mode.c_str() + 5)), 'x');
  }
  answer.sReason = Reason(answer.iStatus);
  answer.headers.assign(route.begin() + std::min<size_t>(3, route.size()),
                        route.end());
  if (!route[1].empty()) {
    std::ifstream in(root + "/" + route[1], std::ios::binary);
    if (!in) {
      answer.iStatus = 404;
      answer.sReason = Reason(404);
      answer.headers.clear();
      return answer;
    }
    answer.body.assign((std::istreambuf_iterator<char>(in)),
                       std::istreambuf_iterator<char>());
  }
  return answer;
}

std::string HeaderValue(const std::vector<std::string>& headers,
                        const std::string& name) {
  for (const std::string& header : headers) {
    const size_t colon = header.find(':');
    if (colon == std::string::npos) continue;
    if (Lower(header.substr(0, colon)) != Lower(name)) continue;
    size_t start = colon + 1;
    while (start < header.size() && header[start] == ' ') ++start;
    return header.substr(start);
  }
  return std::string();
}

void Flood(const std::string& path) {
  HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE,
                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                            nullptr);
  const std::string chunk(65536, 'x');
  for (;;) {
    DWORD written = 0;
    // A write that fails ends it with an error, as it ends the real ones.
    if (file == INVALID_HANDLE_VALUE ||
        !WriteFile(file, chunk.data(), static_cast<DWORD>(chunk.size()),
                   &written, nullptr)) {
      ExitProcess(3);
    }
    // At most a fast network's pace (some 50 MB/s), not a disk's.
    Sleep(1);
  }
}

void HangWithAChild() {
  char path[MAX_PATH];
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  std::string cmd = std::string("\"") + path + "\" --linger-for-good";
  STARTUPINFOA si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);
  std::string pids = std::to_string(GetCurrentProcessId()) + "\n";
  if (CreateProcessA(path, &cmd[0], nullptr, nullptr, FALSE, CREATE_NO_WINDOW,
                     nullptr, nullptr, &si, &pi)) {
    pids += std::to_string(pi.dwProcessId) + "\n";
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  }
  Append(Env("FLORRIN_STAND_IN_PIDS"), pids);
  WaitForGood();
}

void LingerIfAsked(int argc, char* argv[]) {
  if (argc == 2 && std::string(argv[1]) == "--linger-for-good") WaitForGood();
}
