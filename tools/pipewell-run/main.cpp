// pipewell-run: runs one command through the plug-in's Shell class, as
// REALbasic code would, with the host stand-in playing the runtime. The
// usage line and the options are in options.cpp and pipewell-run(1).
#include <cstdio>
#include <string>

#include "console_io.h"
#include "options.h"
#include "plugin_loader.h"
#include "rbhost.h"

namespace {

// Exit statuses of our own, apart from the command's exit code; the same
// numbers as timeout(1) and the shells use.
constexpr int kExitUsage = 2;
constexpr int kExitTimedOut = 124;
constexpr int kExitFailed = 125;
constexpr int kExitNoShell = 127;

// The Shell's ErrorCode values that are not exit codes.
constexpr int kErrorNoShell = -1;
constexpr int kErrorTimedOut = -2;

// Whether the last byte written to stdout ended a line.
bool g_atLineStart = true;
bool g_completed = false;

void Emit(const std::string& bytes) {
  if (bytes.empty()) return;
  std::fwrite(bytes.data(), 1, bytes.size(), stdout);
  std::fflush(stdout);
  g_atLineStart = bytes.back() == '\n';
}

void EndLine() {
  if (!g_atLineStart) Emit("\n");
}

void OnDataAvailable(void* shell) {
  std::string chunk;
  rbhost::CallReturningString(shell, "ReadAll() as String", &chunk);
  Emit(chunk);
}

void OnCompleted(void* shell) {
  std::string rest;
  rbhost::CallReturningString(shell, "ReadAll() as String", &rest);
  Emit(rest);
  EndLine();
  Emit("Completed: ErrorCode " +
       std::to_string(rbhost::GetInteger(shell, "ErrorCode")) + "\n");
  g_completed = true;
}

// The exit status that stands for the Shell's outcome. -1 means "No shell
// available" only when Result says so; otherwise the child's status could
// not be read, which is our failure, not the command's. Other negative
// outcomes (-3, output too large for the Shell) are ours to report too.
int ExitStatusOf(int errorCode, const std::string& result) {
  if (errorCode == kErrorTimedOut) return kExitTimedOut;
  if (errorCode == kErrorNoShell) {
    return result == "No shell available" ? kExitNoShell : kExitFailed;
  }
  if (errorCode < 0 || errorCode > 255) return kExitFailed;
  return errorCode;
}

// The host's event loop for modes 1 and 2: runs until Completed (or until
// the watching ends some other way), and meanwhile hands whatever arrives
// on our standard input to the command through Write. The end of our input
// is not passed on: Close, the only way to end the child's input, would
// close its output as well.
void PumpUntilCompleted(const pipewell_loader::Plugin& plugin, void* shell) {
  bool inputOpen = true;
  static char buffer[64 * 1024];
  while (!g_completed && rbhost::GetBoolean(shell, "IsRunning")) {
    // A short turn while input may arrive, so that it is passed on soon.
    rbhost::RunEventLoopOnce(plugin.dispatchTimers, inputOpen ? 10 : 100);
    if (!inputOpen || !pipewell_run::WaitForInput(0)) continue;
    long n = pipewell_run::ReadInput(buffer, sizeof buffer);
    if (n <= 0) {
      inputOpen = false;
      continue;
    }
    rbhost::Call(shell, "Write(s as String)",
                 std::string(buffer, static_cast<size_t>(n)));
  }
}

}  // namespace

int main(int argc, char** argv) {
  pipewell_run::WriteStdoutAsBytes();
  pipewell_run::Options options;
  std::string error;
  switch (pipewell_run::ParseArgs(argc, argv, &options, &error)) {
    case pipewell_run::Request::kHelp:
      Emit(pipewell_run::HelpText());
      return 0;
    case pipewell_run::Request::kVersion:
      Emit(pipewell_run::VersionText());
      return 0;
    case pipewell_run::Request::kUsageError:
      std::fprintf(stderr, "pipewell-run: %s\n%s", error.c_str(),
                   pipewell_run::UsageText().c_str());
      return kExitUsage;
    case pipewell_run::Request::kRun:
      break;
  }

  // By default the installed library (lib/ beside our bin/, as the install
  // rules lay it out), else one beside this executable, else the one built
  // with it.
  std::string path = options.plugin;
  if (path.empty()) {
    path = pipewell_loader::FileNearExecutable(PIPEWELL_INSTALLED_LIBRARY);
  }
  if (path.empty()) path = pipewell_loader::LibraryBesideExecutable();
  if (path.empty()) path = PIPEWELL_BUILT_LIBRARY;
  pipewell_loader::Plugin plugin;
  if (!pipewell_loader::LoadPlugin(path, &plugin, &error)) {
    std::fprintf(stderr, "pipewell-run: %s\n", error.c_str());
    return kExitFailed;
  }
  plugin.main(&rbhost::Resolve);
  void* shell = rbhost::NewInstance("Shell");
  if (shell == nullptr) {
    std::fputs("pipewell-run: the plug-in registered no Shell class\n", stderr);
    return kExitFailed;
  }
  rbhost::SetInteger(shell, "Mode", options.mode);
  rbhost::SetInteger(shell, "TimeOut", options.timeout);
  rbhost::SetEventHandler(shell, "DataAvailable()", &OnDataAvailable);
  rbhost::SetEventHandler(shell, "Completed()", &OnCompleted);

  if (options.haveParameters) {
    rbhost::Call(shell, "Execute(command as String, parameters as String)",
                 options.command, options.parameters);
  } else {
    rbhost::Call(shell, "Execute(command as String)", options.command);
  }

  int status = kExitFailed;
  std::string result = rbhost::GetString(shell, "Result");
  if (rbhost::GetBoolean(shell, "IsRunning")) {
    PumpUntilCompleted(plugin, shell);
    if (g_completed) status = ExitStatusOf(rbhost::GetInteger(shell, "ErrorCode"), "");
  } else {
    Emit(result);
    EndLine();
    int errorCode = rbhost::GetInteger(shell, "ErrorCode");
    Emit("ErrorCode: " + std::to_string(errorCode) + "\n");
    status = ExitStatusOf(errorCode, result);
  }
  rbhost::DeleteInstance(shell);
  return status;
}
