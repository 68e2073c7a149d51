// Instances freed by the host inside their own events. REALbasic code often
// drops its last reference to a Shell in Completed or DataAvailable, so the
// host destroys the instance during the call; the plug-in must not touch it
// afterwards. Instances here live on guarded pages that fault on any use
// after the host frees them (as an AddressSanitizer build would report).
#include "child_processes_posix.h"
#include "plugin_fixture.h"

namespace pwtest {
namespace {

// What the freeing handlers saw; one test at a time.
struct Seen {
  int data = 0;
  int completed = 0;
  std::string output;
  bool freeInData = false;
  std::string nextCommand;      // what the replacement executes
  void* freed = nullptr;        // the instance freed inside Completed
  void* replacement = nullptr;  // made inside Completed, after the free
} g_seen;

void ReadInto(void* shell) {
  std::string chunk;
  rbhost::CallReturningString(shell, "ReadAll() as String", &chunk);
  g_seen.output += chunk;
}

void FreeOnData(void* shell) {
  g_seen.data++;
  ReadInto(shell);
  if (g_seen.freeInData) rbhost::DeleteInstance(shell);
}

void FreeOnCompleted(void* shell) {
  g_seen.completed++;
  ReadInto(shell);
  rbhost::DeleteInstance(shell);
}

void CountCompleted(void*) { g_seen.completed++; }

// The host frees the Shell and at once makes another, which may land at the
// same address (the test below makes sure it does); that one must be left as
// its own Execute made it.
void ReplaceOnCompleted(void* shell) {
  g_seen.freed = shell;
  rbhost::DeleteInstance(shell);
  void* next = rbhost::NewInstance("Shell");
  rbhost::SetEventHandler(next, "Completed()", &CountCompleted);
  rbhost::SetInteger(next, "Mode", 1);
  rbhost::Call(next, "Execute(command as String)", g_seen.nextCommand);
  g_seen.replacement = next;
}

class LifetimeTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    g_seen = Seen();
    rbhost::SetGuardedInstances(true);
  }
  void TearDown() override {
    rbhost::SetGuardedInstances(false);
    if (g_seen.replacement != nullptr) rbhost::DeleteInstance(g_seen.replacement);
    rbhost::SetReusedInstances(false);
    PluginTest::TearDown();
  }

  // An asynchronous Shell, not tracked by the fixture: its handlers free it.
  void* FreeingShell(const std::string& steps, bool freeInData) {
    g_seen.freeInData = freeInData;
    void* shell = rbhost::NewInstance("Shell");
    rbhost::SetEventHandler(shell, "DataAvailable()", &FreeOnData);
    rbhost::SetEventHandler(shell, "Completed()", &FreeOnCompleted);
    rbhost::SetInteger(shell, "Mode", 1);
    rbhost::Call(shell, "Execute(command as String)", Child(steps));
    return shell;
  }

  // Polls until a handler has freed the shell; never touches it after.
  bool PollUntilFreed(void* shell, const int& events) {
    for (int i = 0; i < 5000 && events == 0; ++i) {
      rbhost::Call(shell, "Poll");
      if (events == 0) SleepMs(1);
    }
    return events != 0;
  }

  // The freed shell's timer is gone and its child is reaped.
  void ExpectNothingLeft() {
    EXPECT_EQ(Plugin().dispatchTimers(), -1);
    PumpUntil([] { return ChildProcesses() == 0; });
    EXPECT_EQ(ChildProcesses(), 0);
  }
};

TEST_F(LifetimeTest, FreedInCompletedRaisedByTheTimer) {
  FreeingShell("out:bye exit:3", false);
  ASSERT_TRUE(PumpUntil([] { return g_seen.completed > 0; }));
  PumpUntil([] { return false; }, 250);
  EXPECT_EQ(g_seen.completed, 1);
  EXPECT_EQ(g_seen.output, "bye");
  ExpectNothingLeft();
}

TEST_F(LifetimeTest, FreedInCompletedRaisedByPoll) {
  void* shell = FreeingShell("out:bye exit:3", false);
  ASSERT_TRUE(PollUntilFreed(shell, g_seen.completed));
  EXPECT_EQ(g_seen.output, "bye");
  ExpectNothingLeft();
}

// The child has exited by the first tick, so the tick that raises
// DataAvailable would look for the exit next: it must not, once freed.
TEST_F(LifetimeTest, FreedInDataAvailableRaisedByTheTimer) {
  FreeingShell("out:early exit:0", true);
  SleepMs(150);
  ASSERT_TRUE(PumpUntil([] { return g_seen.data > 0; }));
  PumpUntil([] { return false; }, 250);
  EXPECT_EQ(g_seen.data, 1);
  EXPECT_EQ(g_seen.completed, 0);
  EXPECT_EQ(g_seen.output, "early");
  ExpectNothingLeft();
}

TEST_F(LifetimeTest, FreedInDataAvailableRaisedByPoll) {
  void* shell = FreeingShell("out:early exit:0", true);
  SleepMs(150);
  ASSERT_TRUE(PollUntilFreed(shell, g_seen.data));
  EXPECT_EQ(g_seen.completed, 0);
  EXPECT_EQ(g_seen.output, "early");
  ExpectNothingLeft();
}

// The host hands the freed instance's address to the new one, which has run
// as many Executes: the detaching due after Completed must not hit it.
TEST_F(LifetimeTest, ShellMadeInCompletedAfterTheFreeKeepsItsChild) {
  rbhost::SetGuardedInstances(false);
  rbhost::SetReusedInstances(true);
  g_seen.nextCommand = Child("sleep:300 exit:4");
  void* shell = rbhost::NewInstance("Shell");
  rbhost::SetEventHandler(shell, "Completed()", &ReplaceOnCompleted);
  rbhost::SetInteger(shell, "Mode", 1);
  rbhost::Call(shell, "Execute(command as String)", Child("exit:0"));
  ASSERT_TRUE(PumpUntil([] { return g_seen.replacement != nullptr; }));
  void* next = g_seen.replacement;
  ASSERT_EQ(next, g_seen.freed) << "the host did not reuse the address";
  EXPECT_TRUE(rbhost::GetBoolean(next, "IsRunning"));
  EXPECT_NE(rbhost::GetInteger(next, "PID"), 0);
  ASSERT_TRUE(PumpUntil([] { return g_seen.completed > 0; }));
  EXPECT_EQ(rbhost::GetInteger(next, "ErrorCode"), 4);
}

}  // namespace
}  // namespace pwtest
