#include "support/run_program.h"

#include <windows.h>

#include <cwchar>
#include <map>
#include <mutex>
#include <thread>

namespace {

// What Utf8Arg puts before a UTF-8 argument: bytes no test text holds.
const char kUtf8Mark[] = "\x01utf8\x01";
const size_t kUtf8MarkSize = sizeof kUtf8Mark - 1;

// Test texts are byte strings in the ANSI code page, as a Windows caller
// hands them over, except those that Utf8Arg marked.
std::wstring Wide(const std::string& text) {
  UINT page = CP_ACP;
  std::string s = text;
  if (s.compare(0, kUtf8MarkSize, kUtf8Mark) == 0) {
    page = CP_UTF8;
    s.erase(0, kUtf8MarkSize);
  }
  if (s.empty()) return std::wstring();
  const int n = MultiByteToWideChar(page, 0, s.data(),
                                    static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(page, 0, s.data(), static_cast<int>(s.size()), &w[0],
                      n);
  return w;
}

// Quotes one word for the C runtime's command-line parser: inside quotes,
// backslashes are literal unless they precede a quote.
void AppendQuoted(const std::wstring& word, std::wstring* cmd) {
  cmd->push_back(L'"');
  size_t backslashes = 0;
  for (wchar_t c : word) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    cmd->append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    cmd->push_back(c);
  }
  cmd->append(backslashes * 2, L'\\');
  cmd->push_back(L'"');
}

// Names compare without regard to case, as Windows compares them.
struct NoCase {
  bool operator()(const std::wstring& a, const std::wstring& b) const {
    return _wcsicmp(a.c_str(), b.c_str()) < 0;
  }
};

std::vector<wchar_t> BuildEnvironment(const std::vector<std::string>& changes) {
  std::map<std::wstring, std::wstring, NoCase> vars;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* p = strings; *p != L'\0'; p += std::wcslen(p) + 1) {
    // Entries such as "=C:=C:\dir" start with "=": the name is the first
    // "=" past the start.
    const wchar_t* eq = std::wcschr(p + 1, L'=');
    if (eq == nullptr) continue;
    vars[std::wstring(p, eq)] = std::wstring(eq + 1);
  }
  FreeEnvironmentStringsW(strings);
  for (const std::string& change : changes) {
    const std::wstring w = Wide(change);
    const size_t eq = w.find(L'=');
    if (eq == std::wstring::npos) {
      vars.erase(w);
    } else {
      vars[w.substr(0, eq)] = w.substr(eq + 1);
    }
  }
  std::vector<wchar_t> block;
  for (const auto& [name, value] : vars) {
    block.insert(block.end(), name.begin(), name.end());
    block.push_back(L'=');
    block.insert(block.end(), value.begin(), value.end());
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

// Reads a pipe to its end into `*sink`.
void Drain(HANDLE pipe, std::string* sink) {
  char buf[65536];
  DWORD got = 0;
  while (ReadFile(pipe, buf, sizeof buf, &got, nullptr) && got > 0)
    sink->append(buf, got);
}

// Children inherit every inheritable handle of the moment they start. Pipe
// ends are made and handed over under this lock, so that runs started from
// several threads at once do not keep each other's pipes open.
std::mutex g_start_lock;

}  // namespace

std::string Utf8Arg(const std::string& utf8) { return kUtf8Mark + utf8; }

struct StartedProgram::Impl {
  PROCESS_INFORMATION pi{};
  HANDLE out_read = nullptr;
  HANDLE err_read = nullptr;
  std::string out, err;
  std::thread out_reader, err_reader;
  bool waited = false;
};

StartedProgram::StartedProgram(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}

StartedProgram::~StartedProgram() {
  if (impl_->pi.hProcess != nullptr && !impl_->waited) {
    Kill();
    Wait();
  }
}

bool StartedProgram::started() const { return impl_->pi.hProcess != nullptr; }

long StartedProgram::pid() const {
  return static_cast<long>(impl_->pi.dwProcessId);
}

void StartedProgram::Kill() const {
  if (impl_->pi.hProcess != nullptr && !impl_->waited) {
    TerminateProcess(impl_->pi.hProcess, 128 + 9);
  }
}

std::unique_ptr<StartedProgram> StartProgram(
    const std::string& exe, const std::vector<std::string>& args,
    const std::string& cwd, const std::vector<std::string>& env) {
  auto impl = std::make_unique<StartedProgram::Impl>();
  std::wstring cmd;
  AppendQuoted(Wide(exe), &cmd);
  for (const std::string& arg : args) {
    cmd.push_back(L' ');
    AppendQuoted(Wide(arg), &cmd);
  }
  std::vector<wchar_t> cmd_buf(cmd.begin(), cmd.end());
  cmd_buf.push_back(L'\0');
  std::vector<wchar_t> env_block = BuildEnvironment(env);
  const std::wstring wexe = Wide(exe);
  const std::wstring wcwd = Wide(cwd);

  HANDLE out_write = nullptr, err_write = nullptr;
  {
    std::lock_guard<std::mutex> hold(g_start_lock);
    SECURITY_ATTRIBUTES sa{sizeof sa, nullptr, TRUE};
    if (!CreatePipe(&impl->out_read, &out_write, &sa, 0)) {
      return std::make_unique<StartedProgram>(std::move(impl));
    }
    if (!CreatePipe(&impl->err_read, &err_write, &sa, 0)) {
      CloseHandle(impl->out_read);
      CloseHandle(out_write);
      impl->out_read = nullptr;
      return std::make_unique<StartedProgram>(std::move(impl));
    }
    SetHandleInformation(impl->out_read, HANDLE_FLAG_INHERIT, 0);
    SetHandleInformation(impl->err_read, HANDLE_FLAG_INHERIT, 0);
    HANDLE in = CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &sa,
                            OPEN_EXISTING, 0, nullptr);

    STARTUPINFOW si{};
    si.cb = sizeof si;
    si.dwFlags = STARTF_USESTDHANDLES;
    si.hStdInput = in;
    si.hStdOutput = out_write;
    si.hStdError = err_write;
    const BOOL started = CreateProcessW(
        wexe.c_str(), cmd_buf.data(), nullptr, nullptr, TRUE,
        CREATE_UNICODE_ENVIRONMENT | CREATE_NO_WINDOW, env_block.data(),
        wcwd.c_str(), &si, &impl->pi);
    if (in != INVALID_HANDLE_VALUE) CloseHandle(in);
    CloseHandle(out_write);
    CloseHandle(err_write);
    if (!started) {
      CloseHandle(impl->out_read);
      CloseHandle(impl->err_read);
      impl->out_read = impl->err_read = nullptr;
      impl->pi = PROCESS_INFORMATION{};
      return std::make_unique<StartedProgram>(std::move(impl));
    }
  }
  impl->out_reader = std::thread(Drain, impl->out_read, &impl->out);
  impl->err_reader = std::thread(Drain, impl->err_read, &impl->err);
  return std::make_unique<StartedProgram>(std::move(impl));
}

RunResult StartedProgram::Wait(int timeout_seconds) {
  RunResult result;
  if (impl_->pi.hProcess == nullptr || impl_->waited) return result;
  const DWORD limit_ms = timeout_seconds > 0
                             ? static_cast<DWORD>(timeout_seconds) * 1000
                             : INFINITE;
  if (WaitForSingleObject(impl_->pi.hProcess, limit_ms) == WAIT_TIMEOUT) {
    // The program alone, as on POSIX; the readers then see its pipes close.
    TerminateProcess(impl_->pi.hProcess, 128 + 9);
    WaitForSingleObject(impl_->pi.hProcess, INFINITE);
    result.timed_out = true;
  }
  impl_->waited = true;
  impl_->out_reader.join();
  impl_->err_reader.join();
  CloseHandle(impl_->out_read);
  CloseHandle(impl_->err_read);
  result.out = impl_->out;
  result.err = impl_->err;
  DWORD code = 0;
  if (GetExitCodeProcess(impl_->pi.hProcess, &code))
    result.exit_code = static_cast<int>(code);
  CloseHandle(impl_->pi.hThread);
  CloseHandle(impl_->pi.hProcess);
  return result;
}

RunResult RunProgramAs(const ChildSetup& setup, const std::string& exe,
                       const std::vector<std::string>& args,
                       const std::string& cwd,
                       const std::vector<std::string>& env,
                       int timeout_seconds) {
  // Neither a file-size limit nor another user is set up here.
  if (setup.file_size_limit >= 0 || setup.user_id >= 0) return RunResult();
  return RunProgram(exe, args, cwd, env, timeout_seconds);
}

RunResult RunProgram(const std::string& exe,
                     const std::vector<std::string>& args,
                     const std::string& cwd,
                     const std::vector<std::string>& env,
                     int timeout_seconds) {
  return StartProgram(exe, args, cwd, env)->Wait(timeout_seconds);
}
