// Asynchronous modes on POSIX systems: the library's own timer table,
// reaping of unwatched children and SIGPIPE.
#include <signal.h>

#include "child_processes_posix.h"
#include "plugin_fixture.h"

namespace pwtest {
namespace {

class AsyncPosixTest : public PluginTest {
 protected:
  bool Done(void* shell) { return EventsOf(shell).completed > 0; }
  bool PumpToCompletion(void* shell) {
    return PumpUntil([&] { return Done(shell); });
  }
};

TEST_F(AsyncPosixTest, DispatchReportsNextDueTimeOrMinusOne) {
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:2000"));
  int wait = Plugin().dispatchTimers();
  EXPECT_GT(wait, 0);
  EXPECT_LE(wait, 100);
  Close(shell);
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
}

TEST_F(AsyncPosixTest, ChildStartedInsideCompletedIsReaped) {
  void* shell = NewShell(1);
  bool started = false;
  EventsOf(shell).onCompleted = [&](void* s) {
    if (started) return;
    started = true;
    rbhost::Call(s, "Execute(command as String)", Child("sleep:200"));
  };
  Execute(shell, Child("out:first"));
  ASSERT_TRUE(PumpToCompletion(shell));
  ASSERT_TRUE(started);
  // The unwatched child exits and is reaped, not left a zombie.
  PumpUntil([] { return ChildProcesses() == 0; });
  EXPECT_EQ(ChildProcesses(), 0) << ZombieChildren() << " zombies";
}

// --- Error paths ---------------------------------------------------------

TEST_F(AsyncPosixTest, WriteToChildThatExitedDoesNotKillTheHost) {
  void* shell = NewShell(1);
  Execute(shell, Child("exit:0"));
  SleepMs(100);
  std::string big(256 * 1024, 'z');
  Write(shell, big);  // the reader is gone: EPIPE, not SIGPIPE
  WriteLine(shell, "more");
  sigset_t pending;
  sigpending(&pending);
  EXPECT_FALSE(sigismember(&pending, SIGPIPE));
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(ErrorCode(shell), 0);
}

}  // namespace
}  // namespace pwtest
