#include "downloader.h"

#include <windows.h>

#include <cwchar>
#include <string>
#include <vector>

#include "wide-name_win32.h"

namespace {

// How long to wait for a downloader that was told to terminate.
const DWORD kTerminationWaitMs = 10000;

// Florrin's text (its command-line words) is in the ANSI code page; the
// wide-character process interface wants UTF-16. A word that cannot be
// converted is passed on empty.
std::wstring WideWord(const sString& s) {
  std::wstring w;
  Widen(s, &w);
  return w;
}

// Appends `arg` to `*cmd` quoted so that the C runtime's argv parser gives it
// back unchanged: inside double quotes, backslashes are literal except before
// a double quote, where 2n backslashes + quote mean n backslashes and the end
// of the quote, and 2n+1 mean n backslashes and a literal quote.
void AppendQuoted(const std::wstring& arg, std::wstring* cmd) {
  cmd->push_back(L'"');
  size_t nBackslashes = 0;
  for (wchar_t c : arg) {
    if (c == L'\\') {
      ++nBackslashes;
      continue;
    }
    if (c == L'"') {
      // Double the backslashes before a quote and escape the quote itself.
      cmd->append(nBackslashes * 2 + 1, L'\\');
    } else {
      cmd->append(nBackslashes, L'\\');
    }
    nBackslashes = 0;
    cmd->push_back(c);
  }
  // Backslashes before the closing quote must not escape it.
  cmd->append(nBackslashes * 2, L'\\');
  cmd->push_back(L'"');
}

// True when the "NAME=value" entry `entry` is for the variable `name`;
// variable names are case-insensitive on Windows.
bool IsVariable(const wchar_t* entry, const wchar_t* name) {
  const size_t n = std::wcslen(name);
  return _wcsnicmp(entry, name, n) == 0 && entry[n] == L'=';
}

// The downloader's environment block: Florrin's own, with LC_ALL=C in place
// of any LC_ALL and without LANGUAGE.
std::vector<wchar_t> DownloaderEnvironment() {
  std::vector<wchar_t> block;
  wchar_t* strings = GetEnvironmentStringsW();
  if (strings != nullptr) {
    for (const wchar_t* p = strings; *p != L'\0'; p += std::wcslen(p) + 1) {
      if (IsVariable(p, L"LC_ALL") || IsVariable(p, L"LANGUAGE")) continue;
      block.insert(block.end(), p, p + std::wcslen(p) + 1);
    }
    FreeEnvironmentStringsW(strings);
  }
  const wchar_t kLcAll[] = L"LC_ALL=C";
  block.insert(block.end(), kLcAll, kLcAll + sizeof kLcAll / sizeof kLcAll[0]);
  block.push_back(L'\0');  // the block ends with an empty entry
  return block;
}

// A handle on the null device that the child may inherit, or
// INVALID_HANDLE_VALUE.
HANDLE OpenNul(DWORD access) {
  SECURITY_ATTRIBUTES sa = {sizeof sa, nullptr, TRUE};
  return CreateFileW(L"NUL", access, FILE_SHARE_READ | FILE_SHARE_WRITE, &sa,
                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
}

}  // namespace

bool RunDownloader(const std::vector<sString>& args, int iTimeoutSeconds) {
  // The program name goes first, quoted like the other words; with no
  // application name given, CreateProcessW looks "wget" (then "wget.exe") up
  // on the PATH itself.
  std::wstring cmd;
  AppendQuoted(L"wget", &cmd);
  for (const sString& arg : args) {
    cmd.push_back(L' ');
    AppendQuoted(WideWord(arg), &cmd);
  }

  std::vector<wchar_t> env = DownloaderEnvironment();
  HANDLE hIn = OpenNul(GENERIC_READ);
  HANDLE hOut = OpenNul(GENERIC_WRITE);

  STARTUPINFOW si;
  ZeroMemory(&si, sizeof si);
  si.cb = sizeof si;
  si.dwFlags = STARTF_USESTDHANDLES;
  si.hStdInput = hIn;
  si.hStdOutput = hOut;
  si.hStdError = hOut;
  PROCESS_INFORMATION pi;
  ZeroMemory(&pi, sizeof pi);

  // CreateProcessW may write into the command line buffer, so it gets a copy.
  std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back(L'\0');
  const BOOL bStarted =
      hIn != INVALID_HANDLE_VALUE && hOut != INVALID_HANDLE_VALUE &&
      CreateProcessW(nullptr, cmdBuf.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW,
                     env.data(), nullptr, &si, &pi);
  if (hIn != INVALID_HANDLE_VALUE) CloseHandle(hIn);
  if (hOut != INVALID_HANDLE_VALUE) CloseHandle(hOut);
  if (!bStarted) return false;

  const DWORD dwLimitMs = static_cast<DWORD>(iTimeoutSeconds) * 1000u;
  const bool bEnded = WaitForSingleObject(pi.hProcess, dwLimitMs) ==
                      WAIT_OBJECT_0;
  if (!bEnded) {
    // Termination is asynchronous: wait until the process is gone, so that
    // its files are closed and the caller can remove them.
    TerminateProcess(pi.hProcess, 1);
    WaitForSingleObject(pi.hProcess, kTerminationWaitMs);
  }
  DWORD dwExitCode = 1;
  const bool bSucceeded = bEnded &&
                          GetExitCodeProcess(pi.hProcess, &dwExitCode) &&
                          dwExitCode == 0;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return bSucceeded;
}
