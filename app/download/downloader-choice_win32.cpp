// Which downloader florrin.exe runs, and where it is found: never in the
// current folder, the catalogue's, where a program may have landed.
#include "downloader.h"

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

#include "wide-name_win32.h"

namespace {

// True when `path` names a file (not a folder).
bool IsFile(const std::wstring& path) {
  const DWORD attrs = GetFileAttributesW(path.c_str());
  return attrs != INVALID_FILE_ATTRIBUTES &&
         (attrs & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

// True for a whole path ("C:\..." or "\\server\..."): a PATH entry that is
// not one would be looked up from the current folder.
bool IsWholePath(const std::wstring& path) {
  if (path.size() >= 3 && path[1] == L':' &&
      (path[2] == L'\\' || path[2] == L'/')) {
    return true;
  }
  return path.size() >= 2 && (path[0] == L'\\' || path[0] == L'/') &&
         (path[1] == L'\\' || path[1] == L'/');
}

// `folder` and `name` joined with one backslash.
std::wstring InFolder(std::wstring folder, const wchar_t* name) {
  if (!folder.empty() && folder.back() != L'\\' && folder.back() != L'/') {
    folder.push_back(L'\\');
  }
  return folder + name;
}

// The folder of Florrin's own program, or empty.
std::wstring OwnFolder() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(),
                                       static_cast<DWORD>(buf.size()));
    if (n == 0) return L"";
    if (n < buf.size()) {
      std::wstring path(buf.data(), n);
      const size_t slash = path.find_last_of(L"\\/");
      return slash == std::wstring::npos ? L"" : path.substr(0, slash);
    }
    buf.resize(buf.size() * 2);
  }
}

// The system folder (where Windows keeps its own curl.exe), or empty.
std::wstring SystemFolder() {
  wchar_t buf[MAX_PATH];
  const UINT n = GetSystemDirectoryW(buf, MAX_PATH);
  return n == 0 || n >= MAX_PATH ? L"" : std::wstring(buf, n);
}

// `name` in the first whole-path entry of the PATH that holds it, or empty.
// Entries may be quoted; relative and empty ones (the current folder) are
// passed over.
std::wstring OnPath(const wchar_t* name) {
  const DWORD n = GetEnvironmentVariableW(L"PATH", nullptr, 0);
  if (n == 0) return L"";
  std::vector<wchar_t> buf(n);
  const DWORD got = GetEnvironmentVariableW(L"PATH", buf.data(), n);
  if (got == 0 || got >= n) return L"";
  const std::wstring path(buf.data(), got);
  size_t start = 0;
  while (start <= path.size()) {
    size_t end = path.find(L';', start);
    if (end == std::wstring::npos) end = path.size();
    std::wstring entry = path.substr(start, end - start);
    if (entry.size() >= 2 && entry.front() == L'"' && entry.back() == L'"') {
      entry = entry.substr(1, entry.size() - 2);
    }
    if (IsWholePath(entry) && IsFile(InFolder(entry, name))) {
      return InFolder(entry, name);
    }
    start = end + 1;
  }
  return L"";
}

// The first of `candidates` that names a file, or empty.
std::wstring FirstFile(const std::vector<std::wstring>& candidates) {
  for (const std::wstring& c : candidates) {
    if (!c.empty() && IsFile(c)) return c;
  }
  return L"";
}

std::wstring FindWget(const std::wstring& own) {
  const std::wstring found = FirstFile({own.empty() ? L"" : InFolder(own, L"wget.exe")});
  return found.empty() ? OnPath(L"wget.exe") : found;
}

std::wstring FindCurl(const std::wstring& own) {
  const std::wstring system = SystemFolder();
  const std::wstring found =
      FirstFile({system.empty() ? L"" : InFolder(system, L"curl.exe"),
                 own.empty() ? L"" : InFolder(own, L"curl.exe")});
  return found.empty() ? OnPath(L"curl.exe") : found;
}

}  // namespace

DownloaderChoice ChooseDownloader(const char* forced) {
  const std::wstring own = OwnFolder();
  const bool bWget = forced != nullptr && std::strcmp(forced, "wget") == 0;
  const bool bCurl = forced != nullptr && std::strcmp(forced, "curl") == 0;
  DownloaderChoice choice;
  std::wstring program;
  if (!bCurl) program = FindWget(own);
  if (program.empty() && !bWget) {
    choice.kind = DownloaderKind::kCurl;
    program = FindCurl(own);
  }
  // A path the code page cannot hold counts as not found: Florrin's text is
  // in that code page.
  if (!Narrow(program, &choice.sProgram)) choice.sProgram.clear();
  return choice;
}
