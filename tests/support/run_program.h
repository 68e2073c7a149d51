// Runs a built program the way a calling program would, for end-to-end tests.
#ifndef FLORRIN_TESTS_SUPPORT_RUN_PROGRAM_H_
#define FLORRIN_TESTS_SUPPORT_RUN_PROGRAM_H_

#include <memory>
#include <string>
#include <vector>

struct RunResult {
  std::string out;     // everything written to standard output
  std::string err;     // everything written to standard error
  int exit_code = -1;  // exit status; 128 + signal number when killed
  bool timed_out = false;  // killed by RunProgram after `timeout_seconds`
};

// Runs `exe` with `args` (argv[1..]) in the folder `cwd`, with standard input
// empty, and waits for it. `env` entries "NAME=value" are added to (or
// replace in) the inherited environment; an entry "NAME" alone removes NAME.
// With a positive `timeout_seconds`, a program still running after that long
// is killed (SIGKILL, the program alone) and the result says so: a test of
// something that must end fails instead of hanging.
// `utf8` as an argument that RunProgram passes as Unicode text: on Windows
// it reaches the program's wide command line whole, characters the ANSI
// code page lacks included (every other argument is taken in the code
// page). Elsewhere the same bytes.
std::string Utf8Arg(const std::string& utf8);

RunResult RunProgram(const std::string& exe,
                     const std::vector<std::string>& args,
                     const std::string& cwd,
                     const std::vector<std::string>& env = {},
                     int timeout_seconds = 0);

// What RunProgramAs changes in the child before the program starts. POSIX
// only: on Windows RunProgramAs runs the program as RunProgram does and
// anything but the defaults fails the calling test.
struct ChildSetup {
  // RLIMIT_FSIZE in bytes (a write past it fails, or raises SIGXFSZ); -1
  // keeps the limit the test runs under.
  long long file_size_limit = -1;
  // The user and group id the program runs as (set only by a superuser);
  // -1 keeps the test's own.
  int user_id = -1;
};

// RunProgram with the child set up as `setup` says.
RunResult RunProgramAs(const ChildSetup& setup, const std::string& exe,
                       const std::vector<std::string>& args,
                       const std::string& cwd,
                       const std::vector<std::string>& env = {},
                       int timeout_seconds = 0);

// A program started by StartProgram, running until Wait has seen it end:
// for tests that act on a run while it goes on.
class StartedProgram {
 public:
  struct Impl;
  explicit StartedProgram(std::unique_ptr<Impl> impl);
  // One still running is killed (the program alone) and waited for.
  ~StartedProgram();
  StartedProgram(const StartedProgram&) = delete;
  StartedProgram& operator=(const StartedProgram&) = delete;

  // False when it could not be started; Wait then gives exit code -1.
  bool started() const;
  // Its process id, 0 when it did not start.
  long pid() const;
#ifndef _WIN32
  // Sends it the signal `sig`.
  void Signal(int sig) const;
#endif
  // Ends it at once, with no chance to clean up (SIGKILL; on Windows
  // TerminateProcess with exit code 137).
  void Kill() const;
  // Waits for it as RunProgram does (killing it after `timeout_seconds`
  // when positive) and gives what it wrote and how it ended.
  RunResult Wait(int timeout_seconds = 0);

 private:
  std::unique_ptr<Impl> impl_;
};

// Starts `exe` as RunProgram does, without waiting for it.
std::unique_ptr<StartedProgram> StartProgram(
    const std::string& exe, const std::vector<std::string>& args,
    const std::string& cwd, const std::vector<std::string>& env = {});

#endif  // FLORRIN_TESTS_SUPPORT_RUN_PROGRAM_H_
