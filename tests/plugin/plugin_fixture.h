#ifndef PIPEWELL_TESTS_PLUGIN_FIXTURE_H_
#define PIPEWELL_TESTS_PLUGIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "rbhost.h"

// Loads the real plug-in library at run time, as a host does, and drives
// `Shell` instances through the host stand-in the way REALbasic code would.
// What differs per system is in plugin_fixture_<platform>.cpp.

namespace pwtest {

// The loaded library's exports (loaded once per test program; both null
// when it cannot be loaded).
const pipewell_loader::Plugin& Plugin();

// What the event handlers of one instance saw.
struct Events {
  std::vector<std::string> order;  // "data" / "completed", in order raised
  std::string output;              // everything read with ReadAll in handlers
  int completed = 0;
  int errorCodeAtCompleted = 0x7fffffff;
  bool readInDataAvailable = true;  // DataAvailable handler calls ReadAll
  std::function<void(void*)> onCompleted;  // runs inside Completed, last
  std::function<void(void*)> onData;       // runs inside DataAvailable, last
};

class PluginTest : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A new Shell with recording event handlers; deleted at TearDown unless
  // Destroy was called.
  void* NewShell(int mode = 0);
  void Destroy(void* shell);
  Events& EventsOf(void* shell);

  // Command line running pw-child with the space-separated `steps`, each
  // quoted for the system's command interpreter.
  static std::string Child(const std::string& steps);

  void Execute(void* shell, const std::string& command);
  void Execute(void* shell, const std::string& command,
               const std::string& parameters);
  // Executes `command` and returns the milliseconds Execute took.
  long TimedExecute(void* shell, const std::string& command);
  std::string Result(void* shell, bool* isNil = nullptr);
  int ErrorCode(void* shell) { return rbhost::GetInteger(shell, "ErrorCode"); }
  int Pid(void* shell) { return rbhost::GetInteger(shell, "PID"); }
  // The system's id of the process the PID property names (on Windows PID
  // is a process handle); 0 when no child is attached.
  long ChildId(void* shell);
  bool IsRunning(void* shell) { return rbhost::GetBoolean(shell, "IsRunning"); }
  std::string ReadAll(void* shell);
  void Write(void* shell, const std::string& s);
  void WriteLine(void* shell, const std::string& s);
  void Close(void* shell) { rbhost::Call(shell, "Close"); }
  void Poll(void* shell) { rbhost::Call(shell, "Poll"); }

  // Runs the host's event loop (which dispatches the plug-in's timers)
  // until `done` holds or `ms` pass. Returns `done()`.
  bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
  // Runs the host's event loop for about `ms` milliseconds.
  void PumpFor(int ms) { PumpUntil([] { return false; }, ms); }
  // Calls Poll every millisecond or so until `done` holds or `ms` pass.
  bool PollUntil(void* shell, const std::function<bool()>& done,
                 int ms = 5000);

 private:
  std::vector<void*> shells_;
};

// Sleeps about `ms` milliseconds.
void SleepMs(int ms);

// Whether the process with the system id `pid` is still running (not gone,
// not a zombie).
bool ProcessAlive(long pid);

// Waits up to `ms` for process `pid` to end; true once it has.
bool WaitForProcessEnd(long pid, int ms = 2000);

// A path for a scratch file named after `name` and this test program.
std::string TempPath(const std::string& name);

// Reads a pid written by pw-child into `path`, waiting up to 2 s for it.
long ReadPidFile(const std::string& path);

// --- Per system (plugin_fixture_<platform>.cpp) ----------------------------

// `path`, given at build time, as this system names it.
std::string NativePath(const std::string& path);

// `word` quoted as one argument for the system's command interpreter.
std::string QuoteArgument(const std::string& word);

// The id of the process behind a PID property value.
long ProcessIdOf(int pidProperty);

// This test program's process id.
long OwnProcessId();

}  // namespace pwtest

#endif  // PIPEWELL_TESTS_PLUGIN_FIXTURE_H_
