#include "os_process.h"

#include <windows.h>

#include <map>
#include <vector>

// Processes, pipes and time on Windows. The timers are in
// timer_window_win32.cpp.

namespace pipewell {
namespace {

// A watched child's bytes move only on the 100 ms ticks, each at most a
// pipe's worth, so the default 4 KB pipes let an echoing child return only
// about 80 KB a second. Output is 256 KB, not 1 MB as on POSIX: under Wine
// a 1 MB output pipe made a synchronous Execute of 200 MB about a third
// slower, while 256 KB measured as fast as the default. Input waits in the
// pipe, not in the queue, and costs no synchronous reading.
constexpr DWORD kOutputPipeBytes = 1 << 18;
constexpr DWORD kInputPipeBytes = 1 << 20;

// The job object of each child we started and have not released: a time
// limit ends the job, and with it whatever the interpreter started, which
// TerminateProcess on cmd.exe alone would leave running (and holding the
// output pipe). The jobs are made without kill-on-close, so releasing one
// leaves its processes running.
std::map<OsHandle, HANDLE>& Jobs() {
  static auto* jobs = new std::map<OsHandle, HANDLE>();
  return *jobs;
}

HANDLE AsHandle(OsHandle h) { return reinterpret_cast<HANDLE>(h); }
OsHandle AsWord(HANDLE h) { return reinterpret_cast<OsHandle>(h); }

// A 64-bit program runs only on NT, so this is true wherever the library
// loads; it is asked rather than assumed so that the line composed below
// follows the system that is actually there.
bool IsWindowsNT() {
  OSVERSIONINFOA info;
  ZeroMemory(&info, sizeof info);
  info.dwOSVersionInfoSize = sizeof info;
  return GetVersionExA(&info) != FALSE &&
         info.dwPlatformId == VER_PLATFORM_WIN32_NT;
}

// Duplicates `source` into a handle of ours that no child inherits, closing
// the source; null on failure (the source is then closed all the same).
HANDLE OwnEnd(HANDLE source) {
  HANDLE self = GetCurrentProcess();
  HANDLE own = nullptr;
  if (!DuplicateHandle(self, source, self, &own, 0, FALSE,
                       DUPLICATE_CLOSE_SOURCE | DUPLICATE_SAME_ACCESS)) {
    return nullptr;
  }
  return own;
}

// A child started from a network folder would run in a folder cmd.exe
// cannot use; it starts in the Windows folder instead. Empty: inherit ours.
std::wstring WorkingDirectory() {
  char current[MAX_PATH] = {0};
  DWORD n = GetCurrentDirectoryA(MAX_PATH, current);
  if (n < 2 || n >= MAX_PATH || current[0] != '\\' || current[1] != '\\') {
    return std::wstring();
  }
  wchar_t windows[MAX_PATH + 1] = {0};
  UINT w = GetWindowsDirectoryW(windows, MAX_PATH + 1);
  if (w == 0 || w > MAX_PATH) return std::wstring();
  return std::wstring(windows, w);
}

std::wstring Widen(const std::string& bytes) {
  int n = MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, bytes.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  return wide;
}

// Lets the child inherit exactly `handles`: with plain inheritance every
// inheritable handle of the host would go to every child, and one Shell's
// child could hold another's pipe open. Owns the attribute list it builds.
class InheritOnly {
 public:
  InheritOnly(HANDLE first, HANDLE second) : handles_{first, second} {
    SIZE_T size = 0;
    InitializeProcThreadAttributeList(nullptr, 1, 0, &size);
    storage_.resize(size);
    auto* list =
        reinterpret_cast<LPPROC_THREAD_ATTRIBUTE_LIST>(storage_.data());
    if (size == 0 || !InitializeProcThreadAttributeList(list, 1, 0, &size)) {
      return;
    }
    if (!UpdateProcThreadAttribute(list, 0, PROC_THREAD_ATTRIBUTE_HANDLE_LIST,
                                   handles_, sizeof handles_, nullptr,
                                   nullptr)) {
      DeleteProcThreadAttributeList(list);
      return;
    }
    list_ = list;
  }
  ~InheritOnly() {
    if (list_ != nullptr) DeleteProcThreadAttributeList(list_);
  }
  InheritOnly(const InheritOnly&) = delete;
  InheritOnly& operator=(const InheritOnly&) = delete;

  // Null when the system could not build the list.
  LPPROC_THREAD_ATTRIBUTE_LIST list() const { return list_; }

 private:
  HANDLE handles_[2];
  std::vector<char> storage_;
  LPPROC_THREAD_ATTRIBUTE_LIST list_ = nullptr;
};

// Starts the interpreter suspended, so that it is in its job before it can
// start anything, inheriting only its two pipe ends. True with `info`
// filled; false when the child cannot be started so.
bool Spawn(const std::string& commandLine, HANDLE input, HANDLE output,
           PROCESS_INFORMATION* info) {
  InheritOnly inherit(input, output);
  STARTUPINFOEXW startup;
  ZeroMemory(&startup, sizeof startup);
  // sizeof: the 32-bit structure is smaller than the 64-bit one.
  startup.StartupInfo.cb = sizeof startup;
  startup.StartupInfo.dwFlags = STARTF_USESTDHANDLES | STARTF_USESHOWWINDOW;
  startup.StartupInfo.wShowWindow = SW_HIDE;
  startup.StartupInfo.hStdInput = input;
  startup.StartupInfo.hStdOutput = output;
  startup.StartupInfo.hStdError = output;
  // Without the list the child would inherit every inheritable handle of
  // the host, and could hold another Shell's pipe open: no child then.
  if (inherit.list() == nullptr) return false;
  startup.lpAttributeList = inherit.list();
  const DWORD flags = CREATE_SUSPENDED | EXTENDED_STARTUPINFO_PRESENT;
  std::wstring line = Widen(commandLine);
  std::wstring directory = WorkingDirectory();
  ZeroMemory(info, sizeof *info);
  return CreateProcessW(nullptr, &line[0], nullptr, nullptr, TRUE, flags,
                        nullptr, directory.empty() ? nullptr : directory.c_str(),
                        &startup.StartupInfo, info) != FALSE;
}

// Puts the suspended child in a job of its own and lets it run. Null when
// the system refuses a job (the child then runs without one).
HANDLE StartInJob(const PROCESS_INFORMATION& info) {
  HANDLE job = CreateJobObjectW(nullptr, nullptr);
  if (job != nullptr && !AssignProcessToJobObject(job, info.hProcess)) {
    CloseHandle(job);
    job = nullptr;
  }
  ResumeThread(info.hThread);
  return job;
}

}  // namespace

std::string OsComposeCommandLine(const char* command, const char* parameters) {
  std::string line;
  if (IsWindowsNT()) {
    // Both quotes and the space are there also without parameters.
    line = "cmd.exe /A /C \"";
    line += command != nullptr ? command : "";
    line += "\" ";
    if (parameters != nullptr) line += parameters;
  } else {
    line = "command.com /C ";
    line += command != nullptr ? command : "";
    if (parameters != nullptr) {
      line += ' ';
      line += parameters;
    }
  }
  return line;
}

bool OsCreateChild(const std::string& commandLine, ChildHandles* out) {
  HANDLE savedOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  HANDLE savedInput = GetStdHandle(STD_INPUT_HANDLE);
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr,
                                     TRUE};
  HANDLE outputRead = nullptr, outputWrite = nullptr;
  HANDLE inputRead = nullptr, inputWrite = nullptr;
  if (!CreatePipe(&outputRead, &outputWrite, &inheritable, kOutputPipeBytes)) {
    return false;
  }
  SetStdHandle(STD_OUTPUT_HANDLE, outputWrite);
  HANDLE ownOutput = OwnEnd(outputRead);
  HANDLE ownInput = nullptr;
  if (CreatePipe(&inputRead, &inputWrite, &inheritable, kInputPipeBytes)) {
    SetStdHandle(STD_INPUT_HANDLE, inputRead);
    ownInput = OwnEnd(inputWrite);
  }

  PROCESS_INFORMATION info;
  bool started = ownOutput != nullptr && ownInput != nullptr &&
                 Spawn(commandLine, inputRead, outputWrite, &info);
  SetStdHandle(STD_INPUT_HANDLE, savedInput);
  SetStdHandle(STD_OUTPUT_HANDLE, savedOutput);
  // The child holds its own copies now; ours of its ends must go, or the
  // output pipe would never report its end.
  CloseHandle(outputWrite);
  if (inputRead != nullptr) CloseHandle(inputRead);
  if (!started) {
    if (ownOutput != nullptr) CloseHandle(ownOutput);
    if (ownInput != nullptr) CloseHandle(ownInput);
    return false;
  }
  HANDLE job = StartInJob(info);
  if (job != nullptr) Jobs()[AsWord(info.hProcess)] = job;
  // Writes take what the pipe accepts and never wait (OsWriteSome).
  DWORD noWait = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  SetNamedPipeHandleState(ownInput, &noWait, nullptr, nullptr);
  out->process = AsWord(info.hProcess);
  out->thread = AsWord(info.hThread);
  out->outputRead = AsWord(ownOutput);
  out->inputWrite = AsWord(ownInput);
  return true;
}

ExitStatus OsExitStatus(OsHandle process) {
  // The exit code alone cannot tell a child that exited with 259
  // (STILL_ACTIVE) from one still running; the signalled handle can.
  DWORD wait = WaitForSingleObject(AsHandle(process), 0);
  if (wait == WAIT_TIMEOUT) return {ExitState::kRunning, 0};
  DWORD code = 0;
  if (wait != WAIT_OBJECT_0 || !GetExitCodeProcess(AsHandle(process), &code)) {
    return {ExitState::kUnreadable, 0};
  }
  return {ExitState::kExited, static_cast<int32_t>(code)};
}

void OsTerminate(OsHandle process) {
  auto it = Jobs().find(process);
  if (it != Jobs().end()) {
    TerminateJobObject(it->second, 0);
  } else {
    TerminateProcess(AsHandle(process), 0);
  }
}

void OsWaitForExit(OsHandle process) {
  // Ending a process is asynchronous; a process the system cannot end at
  // once must not hold the host for ever either.
  constexpr DWORD kMostWaitMs = 5000;
  WaitForSingleObject(AsHandle(process), kMostWaitMs);
}

void OsCloseProcess(OsHandle process) {
  auto it = Jobs().find(process);
  if (it != Jobs().end()) {
    CloseHandle(it->second);
    Jobs().erase(it);
  }
  CloseHandle(AsHandle(process));
}

void OsCloseThread(OsHandle thread) {
  if (thread != 0) CloseHandle(AsHandle(thread));
}

void OsClosePipe(OsHandle pipe) {
  if (pipe != 0) CloseHandle(AsHandle(pipe));
}

void OsSetNonBlocking(OsHandle pipe) {
  DWORD mode = PIPE_READMODE_BYTE | PIPE_NOWAIT;
  SetNamedPipeHandleState(AsHandle(pipe), &mode, nullptr, nullptr);
}

bool OsPeekPipe(OsHandle pipe, uint32_t* available) {
  DWORD total = 0;
  if (!PeekNamedPipe(AsHandle(pipe), nullptr, 0, nullptr, &total, nullptr)) {
    return false;
  }
  *available = total;
  return true;
}

long OsReadPipe(OsHandle pipe, void* buffer, size_t size) {
  // One ReadFile returns at most one of the writer's chunks even when more
  // waits, so a short read would not mean an empty pipe, as the runner's
  // drain takes it to: read on until the buffer is full or the pipe empty.
  // Only the bytes known to wait are ever asked of a blocking pipe. Each
  // read asks for at most kReadChunk: under Wine a read's cost grows with
  // the size asked, not the size got (a 128 MB buffer made 200 MB take
  // nearly twice as long as a 1 MB one).
  constexpr size_t kReadChunk = 1 << 20;
  char* at = static_cast<char*>(buffer);
  size_t total = 0;
  while (total < size) {
    size_t left = size - total;
    DWORD want = static_cast<DWORD>(left < kReadChunk ? left : kReadChunk);
    DWORD got = 0;
    if (!ReadFile(AsHandle(pipe), at + total, want, &got, nullptr)) {
      if (total > 0) break;
      DWORD error = GetLastError();
      // ERROR_NO_DATA: an empty PIPE_NOWAIT pipe; ERROR_BROKEN_PIPE: the
      // writers are gone.
      if (error == ERROR_NO_DATA || error == ERROR_BROKEN_PIPE) return 0;
      return -1;
    }
    if (got == 0) break;
    total += got;
  }
  return static_cast<long>(total);
}

long OsWriteSome(OsHandle pipe, const void* bytes, size_t size) {
  // On our PIPE_NOWAIT end a write that does not fit in the free space
  // takes nothing under Wine 8 (success, 0 written) rather than a part,
  // while one that fits is taken whole; so when a write takes nothing,
  // smaller pieces are offered until one fits or a single byte does not.
  DWORD want = size > 0x10000u ? 0x10000u : static_cast<DWORD>(size);
  while (want > 0) {
    DWORD written = 0;
    if (!WriteFile(AsHandle(pipe), bytes, want, &written, nullptr)) {
      // ERROR_NO_DATA: the reader has closed its end; or another failure.
      return -1;
    }
    if (written > 0) return static_cast<long>(written);
    want /= 2;
  }
  return 0;
}

uint32_t OsTickCount() { return GetTickCount(); }

void OsWaitOnPipe(OsHandle pipe, int ms) {
  // Anonymous pipes cannot be waited on: a short sleep, unless bytes
  // arrived since the last read.
  DWORD available = 0;
  if (PeekNamedPipe(AsHandle(pipe), nullptr, 0, nullptr, &available, nullptr) &&
      available > 0) {
    return;
  }
  Sleep(static_cast<DWORD>(ms));
}

}  // namespace pipewell
