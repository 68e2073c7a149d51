// Descriptors, zombies and host strings over many runs; start failures;
// POSIX systems.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <unistd.h>

#include <set>
#include <sstream>

#include "child_processes_posix.h"
#include "plugin_fixture.h"

namespace pwtest {
namespace {

std::set<std::string> OpenDescriptors() {
  std::set<std::string> fds;
  DIR* dir = opendir("/proc/self/fd");
  if (dir == nullptr) return fds;
  int own = dirfd(dir);
  while (dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.' || std::to_string(own) == d->d_name) continue;
    fds.insert(d->d_name);
  }
  closedir(dir);
  return fds;
}

class ResourcesTest : public PluginTest {};

TEST_F(ResourcesTest, ThousandRunsLeakNoDescriptorsZombiesOrStrings) {
  void* sync = NewShell(0);
  void* async = NewShell(1);
  Execute(sync, "true");  // first run builds what the library keeps for good
  WriteLine(async, "");
  std::set<std::string> fdsBefore = OpenDescriptors();
  long stringsBefore = rbhost::LiveStrings();

  for (int i = 0; i < 1000; ++i) {
    switch (i % 4) {
      case 0: Execute(sync, "echo x"); break;
      case 1: Execute(sync, "echo", "y"); break;
      case 2: Execute(async, "exit 0"); break;  // detached by the next run
      case 3:
        Execute(async, "echo z");
        WriteLine(async, "ignored");
        Close(async);
        break;
    }
  }
  Execute(sync, "true");
  Close(async);
  EXPECT_EQ(OpenDescriptors(), fdsBefore);
  // Result of `sync` holds one string, as before the loop.
  EXPECT_EQ(rbhost::LiveStrings(), stringsBefore);
  EXPECT_EQ(rbhost::StringMisuses(), 0);
  // The last detached children may still run: wait until every one has
  // ended and been reaped, which leaves no zombie behind.
  PumpUntil([] { return ChildProcesses() == 0; });
  EXPECT_EQ(ChildProcesses(), 0) << ZombieChildren() << " zombies";
}

TEST_F(ResourcesTest, TimedOutAndDestroyedChildrenAreReaped) {
  void* shell = NewShell(0);
  rbhost::SetInteger(shell, "TimeOut", 0);
  for (int i = 0; i < 5; ++i) Execute(shell, Child("sleep:5000"));
  void* async = NewShell(1);
  Execute(async, Child("sleep:50"));
  Destroy(async);
  // A killed child turns zombie a moment after the kill: only a process
  // list with no child at all shows that all of them were reaped.
  PumpUntil([] { return ChildProcesses() == 0; });
  EXPECT_EQ(ChildProcesses(), 0) << ZombieChildren() << " zombies";
}

TEST_F(ResourcesTest, ChildInheritsNoneOfThePluginsDescriptors) {
  void* watched = NewShell(1);
  Execute(watched, Child("sleep:2000"));  // its pipe ends are open here
  ASSERT_TRUE(IsRunning(watched));
  // What a child may inherit: its three standard descriptors and whatever
  // the host itself left inheritable.
  std::string expected;
  std::set<int> inheritable = {0, 1, 2};
  for (const std::string& fd : OpenDescriptors()) {
    int n = std::stoi(fd);
    if (n > 2 && (fcntl(n, F_GETFD) & FD_CLOEXEC) == 0) inheritable.insert(n);
  }
  void* shell = NewShell(0);
  Execute(shell, Child("fds"));
  std::set<int> seen;
  std::istringstream listing(Result(shell));
  for (int n; listing >> n;) seen.insert(n);
  EXPECT_EQ(seen, inheritable) << Result(shell);
}

// --- Error paths ---------------------------------------------------------

TEST_F(ResourcesTest, StartFailureReportsNoShellAvailable) {
  void* shell = NewShell(0);
  void* async = NewShell(1);
  struct rlimit old;
  ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &old), 0);
  std::set<int> open;
  for (const std::string& fd : OpenDescriptors()) open.insert(std::stoi(fd));
  int lowestFree = 0;
  while (open.count(lowestFree) != 0) lowestFree++;
  // No room for another descriptor: the pipes cannot be made.
  struct rlimit tight = old;
  tight.rlim_cur = static_cast<rlim_t>(lowestFree);
  ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
  Execute(shell, "echo never");
  Execute(async, "echo never");
  setrlimit(RLIMIT_NOFILE, &old);

  EXPECT_EQ(ErrorCode(shell), -1);
  EXPECT_EQ(Result(shell), "No shell available");
  EXPECT_EQ(ErrorCode(async), -1);
  EXPECT_EQ(Result(async), "No shell available");
  EXPECT_FALSE(IsRunning(async));
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
  Execute(shell, "echo again");
  EXPECT_EQ(Result(shell), "again\n");
}

TEST_F(ResourcesTest, UnreadableExitStatusGivesMinusOneAndNilResult) {
  // A host that ignores SIGCHLD has its children reaped by the kernel: the
  // exit status can no longer be read.
  void* shell = NewShell(0);
  struct sigaction ignore = {}, old = {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGCHLD, &ignore, &old);
  Execute(shell, Child("out:x"));
  sigaction(SIGCHLD, &old, nullptr);
  EXPECT_EQ(ErrorCode(shell), -1);
  bool nil = false;
  EXPECT_EQ(Result(shell, &nil), "");
  EXPECT_TRUE(nil);
}

}  // namespace
}  // namespace pwtest
