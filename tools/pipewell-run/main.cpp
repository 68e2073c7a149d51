// pipewell-run: runs one command through the plug-in's Shell class, as
// REALbasic code would, with the host stand-in playing the runtime.
//
//   pipewell-run [--mode 0|1|2] [--timeout MS] [--plugin PATH]
//                COMMAND [PARAMETERS]
#include <time.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "plugin_loader.h"
#include "rbhost.h"

namespace {

struct Options {
  int mode = 0;
  bool haveTimeout = false;
  int timeout = 0;
  std::string plugin;
  std::string command;
  bool haveParameters = false;
  std::string parameters;
};

// Whether the last byte written to stdout ended a line.
bool g_atLineStart = true;
bool g_completed = false;

void Usage() {
  std::fputs(
      "usage: pipewell-run [--mode 0|1|2] [--timeout MS] [--plugin PATH] "
      "COMMAND [PARAMETERS]\n"
      "  mode 0 waits and prints Result, then ErrorCode; modes 1 and 2 print\n"
      "  each DataAvailable chunk as it is read, then Completed and "
      "ErrorCode.\n",
      stderr);
}

bool ParseInt(const char* text, int* out) {
  char* end = nullptr;
  long value = std::strtol(text, &end, 10);
  if (end == text || *end != '\0') return false;
  *out = static_cast<int>(value);
  return true;
}

bool ParseArgs(int argc, char** argv, Options* o) {
  int positional = 0;
  for (int i = 1; i < argc; ++i) {
    std::string arg = argv[i];
    bool hasValue = i + 1 < argc;
    if (positional == 0 && arg == "--mode" && hasValue) {
      if (!ParseInt(argv[++i], &o->mode)) return false;
    } else if (positional == 0 && arg == "--timeout" && hasValue) {
      if (!ParseInt(argv[++i], &o->timeout)) return false;
      o->haveTimeout = true;
    } else if (positional == 0 && arg == "--plugin" && hasValue) {
      o->plugin = argv[++i];
    } else if (positional == 0 && arg == "--" && i + 1 < argc) {
      o->command = argv[++i];  // a command that itself starts with '-'
      positional = 1;
    } else if (positional == 0 && arg.size() > 1 && arg[0] == '-') {
      return false;
    } else if (positional == 0) {
      o->command = arg;
      positional = 1;
    } else if (positional == 1) {
      o->parameters = arg;
      o->haveParameters = true;
      positional = 2;
    } else {
      return false;
    }
  }
  return positional > 0;
}

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

void SleepMs(int ms) {
  struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&pause, nullptr);
}

}  // namespace

int main(int argc, char** argv) {
  Options options;
  if (!ParseArgs(argc, argv, &options)) {
    Usage();
    return 2;
  }
  // By default the library beside this executable, else the one built with it.
  std::string path = options.plugin;
  if (path.empty()) path = pipewell_loader::LibraryBesideExecutable();
  if (path.empty()) path = PIPEWELL_BUILT_LIBRARY;
  pipewell_loader::Plugin plugin;
  std::string error;
  if (!pipewell_loader::LoadPlugin(path, &plugin, &error)) {
    std::fprintf(stderr, "pipewell-run: %s\n", error.c_str());
    return 1;
  }
  plugin.main(&rbhost::Resolve);
  void* shell = rbhost::NewInstance("Shell");
  if (shell == nullptr) {
    std::fputs("pipewell-run: the plug-in registered no Shell class\n", stderr);
    return 1;
  }
  rbhost::SetInteger(shell, "Mode", options.mode);
  if (options.haveTimeout) rbhost::SetInteger(shell, "TimeOut", options.timeout);
  rbhost::SetEventHandler(shell, "DataAvailable()", &OnDataAvailable);
  rbhost::SetEventHandler(shell, "Completed()", &OnCompleted);

  if (options.haveParameters) {
    rbhost::Call(shell, "Execute(command as String, parameters as String)",
                 options.command, options.parameters);
  } else {
    rbhost::Call(shell, "Execute(command as String)", options.command);
  }

  if (rbhost::GetBoolean(shell, "IsRunning")) {
    // The host's event loop: pump the plug-in's timers until Completed.
    while (!g_completed) {
      int wait = plugin.dispatchTimers();
      if (wait < 0) break;
      SleepMs(wait > 0 ? wait : 1);
    }
  } else {
    Emit(rbhost::GetString(shell, "Result"));
    EndLine();
    Emit("ErrorCode: " + std::to_string(rbhost::GetInteger(shell, "ErrorCode")) +
         "\n");
  }
  rbhost::DeleteInstance(shell);
  return 0;
}
