#ifndef PIPEWELL_TESTS_PLUGIN_FIXTURE_H_
#define PIPEWELL_TESTS_PLUGIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "plugin_loader.h"
#include "rbhost.h"

// Loads the real libpipewell.so at run time, as a host does, and drives
// `Shell` instances through the host stand-in the way REALbasic code would.

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
  // quoted for the shell.
  static std::string Child(const std::string& steps);

  void Execute(void* shell, const std::string& command);
  void Execute(void* shell, const std::string& command,
               const std::string& parameters);
  std::string Result(void* shell, bool* isNil = nullptr);
  int ErrorCode(void* shell) { return rbhost::GetInteger(shell, "ErrorCode"); }
  int Pid(void* shell) { return rbhost::GetInteger(shell, "PID"); }
  bool IsRunning(void* shell) { return rbhost::GetBoolean(shell, "IsRunning"); }
  std::string ReadAll(void* shell);
  void Write(void* shell, const std::string& s);
  void WriteLine(void* shell, const std::string& s);
  void Close(void* shell) { rbhost::Call(shell, "Close"); }
  void Poll(void* shell) { rbhost::Call(shell, "Poll"); }

  // Calls PipewellDispatchTimers, sleeping as it asks, until `done` holds
  // or `ms` pass. Returns `done()`.
  bool PumpUntil(const std::function<bool()>& done, int ms = 5000);
  // Calls Poll every millisecond or so until `done` holds or `ms` pass.
  bool PollUntil(void* shell, const std::function<bool()>& done,
                 int ms = 5000);

 private:
  std::vector<void*> shells_;
};

// Sleeps about `ms` milliseconds.
void SleepMs(int ms);

// Whether `pid` names a process that is still running (not gone, not a
// zombie).
bool ProcessAlive(int pid);

// Child processes of this process that are zombies.
int ZombieChildren();

// Child processes of this process in any state: running, dying or zombie.
// A killed or detached child is not yet a zombie at first, so "no zombies
// now" proves nothing until this has dropped to 0.
int ChildProcesses();

// Reads a pid written by pw-child into `path`, waiting up to 2 s for it.
int ReadPidFile(const std::string& path);

}  // namespace pwtest

#endif  // PIPEWELL_TESTS_PLUGIN_FIXTURE_H_
