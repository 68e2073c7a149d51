#include "downloader.h"

#include <windows.h>

#include <chrono>
#include <cstring>
#include <cwchar>
#include <string>
#include <vector>

#include "download-guard.h"
#include "wide-name_win32.h"

namespace {

// How long to wait for a downloader that was told to terminate.
const DWORD kTerminationWaitMs = 10000;

// The longest nap between two looks at a running download: short, since a
// file may begin to grow at any moment, and at a disk's pace.
const DWORD kMaxNapMs = 4;
// How far ahead the watch reckons with a file's growth (the system's timer
// may stretch a short nap to some 16 ms).
const int kHorizonMs = 32;
// How far a file may grow past its limit: its lock starts there, and the
// watch looks without pause once the file may come close to it before the
// next nap ends.
const int64_t kOvershootBytes = 1 << 20;

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

// True when the entry is for a variable of the movie service's settings,
// the credential among them.
bool IsServiceVariable(const wchar_t* entry) {
  static const wchar_t kPrefix[] = L"FLORRIN_TMDB_";
  return _wcsnicmp(entry, kPrefix, sizeof kPrefix / sizeof kPrefix[0] - 1) ==
         0;
}

// The downloader's environment block: Florrin's own, with LC_ALL=C in place
// of any LC_ALL, without LANGUAGE and without the movie service's variables.
std::vector<wchar_t> DownloaderEnvironment() {
  std::vector<wchar_t> block;
  wchar_t* strings = GetEnvironmentStringsW();
  if (strings != nullptr) {
    for (const wchar_t* p = strings; *p != L'\0'; p += std::wcslen(p) + 1) {
      if (IsVariable(p, L"LC_ALL") || IsVariable(p, L"LANGUAGE") ||
          IsServiceVariable(p)) {
        continue;
      }
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

// Ends every process of `job` and waits, a while, until none is left, so
// that none still writes into the download's files.
void EndJob(HANDLE job, HANDLE process) {
  TerminateJobObject(job, 1);
  WaitForSingleObject(process, kTerminationWaitMs);
  for (DWORD waited = 0; waited < kTerminationWaitMs; waited += 10) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
    if (!QueryInformationJobObject(job, JobObjectBasicAccountingInformation,
                                   &info, sizeof info, nullptr) ||
        info.ActiveProcesses == 0) {
      return;
    }
    Sleep(10);
  }
}

// The size of the file `name` (a whole path), 0 when it does not exist.
int64_t FileSize(const std::wstring& name) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (name.empty() ||
      !GetFileAttributesExW(name.c_str(), GetFileExInfoStandard, &data)) {
    return 0;
  }
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

// Windows has no file-size limit for a process; a lock on the file's bytes
// from kOvershootBytes past its limit stands in for one. Locks on Windows bind every other
// handle: the downloader, which opens the file (and may truncate it) as
// usual, cannot write a byte there, and fails at that write. Returns the
// handle that holds the lock (to be closed once the downloader has ended),
// or null where no lock could be taken; the file is made if missing.
HANDLE LockPastLimit(const std::wstring& file, int64_t iMaxBytes) {
  if (file.empty() || iMaxBytes == INT64_MAX) return nullptr;
  HANDLE handle = CreateFileW(
      file.c_str(), GENERIC_READ | GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (handle == INVALID_HANDLE_VALUE) return nullptr;
  // From kOvershootBytes past the limit to far beyond. A write that would
  // reach into the locked bytes fails whole, so the lock starts that far
  // out: a downloader writing in pieces smaller than that (all do) fails
  // only once its file has passed the limit, and that shows.
  const uint64_t from = static_cast<uint64_t>(iMaxBytes) + kOvershootBytes;
  const uint64_t length = (uint64_t{1} << 62) - from;
  OVERLAPPED at;
  ZeroMemory(&at, sizeof at);
  at.Offset = static_cast<DWORD>(from);
  at.OffsetHigh = static_cast<DWORD>(from >> 32);
  if (!LockFileEx(handle, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY,
                  0, static_cast<DWORD>(length),
                  static_cast<DWORD>(length >> 32), &at)) {
    CloseHandle(handle);
    return nullptr;
  }
  return handle;
}

// Waits for `process` until it ends, the time limit passes or its file
// grows past its limit; true when it ended by itself. Where the file's lock
// does not bind (Wine's locks bind no writer), the watch alone keeps it in
// bounds: napping briefly while it is far from its limit, looking without
// pause while the rate at which it grows could take it past the limit
// before the next look, and until it has stopped growing.
bool WaitWithLimits(HANDLE process, const DownloaderLimits& limits,
                    DownloaderRun* run) {
  using Clock = std::chrono::steady_clock;
  std::wstring file;
  if (!limits.sFile.empty()) Widen(limits.sFile, &file);
  const auto start = Clock::now();
  const auto deadline = start + std::chrono::seconds(limits.iTimeoutSeconds);
  auto lastLook = start;
  auto lastGrowth = start;
  int64_t lastSize = 0;
  bool bClose = false;  // looking without pause
  DWORD nap = 1;
  for (;;) {
    if (WaitForSingleObject(process, nap) == WAIT_OBJECT_0) return true;
    const auto now = Clock::now();
    const int64_t size = FileSize(file);
    if (size > limits.iMaxBytes) {
      run->bTooLarge = true;
      return false;
    }
    if (now >= deadline) {
      run->bTimedOut = true;
      return false;
    }
    if (size != lastSize) {
      // Bytes a second since the last look, and what they would add in
      // kHorizonMs: more than the room left (with half the allowance) means
      // looking without pause until the file stops growing.
      const int64_t us = std::chrono::duration_cast<std::chrono::microseconds>(
                             now - lastLook).count() + 1;
      const int64_t perSecond = (size - lastSize) * 1000000 / us;
      if (limits.iMaxBytes - size + kOvershootBytes / 2 <=
          perSecond / 1000 * kHorizonMs) {
        bClose = true;
      }
      lastGrowth = now;
    } else if (bClose && now - lastGrowth > std::chrono::milliseconds(
                                               kHorizonMs)) {
      bClose = false;
    }
    nap = bClose ? 0 : (nap == 0 ? 1 : (nap < kMaxNapMs ? nap * 2 : kMaxNapMs));
    lastLook = now;
    lastSize = size;
  }
}

}  // namespace

DownloaderRun RunDownloader(const DownloaderChoice& choice,
                            const std::vector<sString>& args,
                            const DownloaderLimits& limits) {
  DownloaderRun run;
  std::wstring program;
  if (choice.sProgram.empty() || !Widen(choice.sProgram, &program)) {
    return run;
  }
  // The program's whole path goes as the application name too, so that
  // CreateProcessW searches nowhere (its own search would try the current
  // folder); the first word is only what the program sees as its name.
  std::wstring cmd;
  AppendQuoted(program, &cmd);
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

  InstallDownloadGuard();
  // Whatever the downloader starts belongs to the job too, and ends with it:
  // at the limit, when the job's last handle is closed below, and when
  // Florrin ends however it ends, since the system then closes that handle.
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job != nullptr) {
    JOBOBJECT_EXTENDED_LIMIT_INFORMATION limits;
    ZeroMemory(&limits, sizeof limits);
    limits.BasicLimitInformation.LimitFlags =
        JOB_OBJECT_LIMIT_KILL_ON_JOB_CLOSE;
    SetInformationJobObject(job, JobObjectExtendedLimitInformation, &limits,
                            sizeof limits);
  }

  // CreateProcessW may write into the command line buffer, so it gets a copy.
  // Started suspended, so that it cannot start anything before it is in the
  // job.
  std::vector<wchar_t> cmdBuf(cmd.begin(), cmd.end());
  cmdBuf.push_back(L'\0');
  std::wstring file;
  if (!limits.sFile.empty()) Widen(limits.sFile, &file);
  const HANDLE sizeLock = LockPastLimit(file, limits.iMaxBytes);
  const BOOL bStarted =
      hIn != INVALID_HANDLE_VALUE && hOut != INVALID_HANDLE_VALUE &&
      CreateProcessW(program.c_str(), cmdBuf.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW |
                         CREATE_SUSPENDED,
                     env.data(), nullptr, &si, &pi);
  if (hIn != INVALID_HANDLE_VALUE) CloseHandle(hIn);
  if (hOut != INVALID_HANDLE_VALUE) CloseHandle(hOut);
  if (!bStarted) {
    if (sizeLock != nullptr) CloseHandle(sizeLock);
    if (job != nullptr) CloseHandle(job);
    return run;
  }
  const bool bInJob =
      job != nullptr && AssignProcessToJobObject(job, pi.hProcess);
  GuardDownloader(bInJob ? job : nullptr, pi.hProcess);
  ResumeThread(pi.hThread);
  run.bStarted = true;

  const bool bEnded = WaitWithLimits(pi.hProcess, limits, &run);
  if (!bEnded) {
    // Termination is asynchronous: wait until the processes are gone, so
    // that their files are closed and the caller can remove them.
    if (bInJob) {
      EndJob(job, pi.hProcess);
    } else {
      TerminateProcess(pi.hProcess, 1);
      WaitForSingleObject(pi.hProcess, kTerminationWaitMs);
    }
  }
  GuardDownloader(nullptr, nullptr);
  DWORD dwExitCode = 1;
  if (bEnded && GetExitCodeProcess(pi.hProcess, &dwExitCode)) {
    run.iExitStatus = static_cast<int>(dwExitCode);
  }
  if (sizeLock != nullptr) CloseHandle(sizeLock);
  // One that stopped at the lock had written past the limit already.
  if (FileSize(file) > limits.iMaxBytes) run.bTooLarge = true;
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  if (job != nullptr) CloseHandle(job);
  return run;
}
