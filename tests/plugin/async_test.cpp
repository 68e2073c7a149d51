// Asynchronous modes: events pumped by the timer export or by Poll, input,
// detaching and destruction.
#include <algorithm>
#include <cstdio>
#include <string>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

class AsyncTest : public PluginTest {
 protected:
  bool Done(void* shell) { return EventsOf(shell).completed > 0; }
  bool PumpToCompletion(void* shell) {
    return PumpUntil([&] { return Done(shell); });
  }
};

TEST_F(AsyncTest, ExecuteReturnsAtOnceWithErrorCodeZero) {
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:300 exit:5"));
  EXPECT_EQ(ErrorCode(shell), 0);
  EXPECT_TRUE(IsRunning(shell));
  EXPECT_GT(Pid(shell), 0);
  bool nil = false;
  Result(shell, &nil);
  EXPECT_TRUE(nil);
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(ErrorCode(shell), 5);
  EXPECT_EQ(EventsOf(shell).errorCodeAtCompleted, 5);
  EXPECT_FALSE(IsRunning(shell));
  EXPECT_EQ(Pid(shell), 0);
}

TEST_F(AsyncTest, TimerPumpRaisesDataThenCompletedOnce) {
  void* shell = NewShell(2);
  Execute(shell, Child("out:a sleep:250 err:b sleep:250 out:c"));
  ASSERT_TRUE(PumpToCompletion(shell));
  Events& e = EventsOf(shell);
  EXPECT_EQ(e.output, "abc");
  ASSERT_GE(e.order.size(), 3u);
  EXPECT_EQ(e.order.front(), "data");
  EXPECT_EQ(e.order.back(), "completed");
  EXPECT_EQ(e.completed, 1);
  // Nothing more arrives once the instance has detached.
  PumpUntil([] { return false; }, 250);
  EXPECT_EQ(e.completed, 1);
}

TEST_F(AsyncTest, CompletedHandlerReadsTheRest) {
  void* shell = NewShell(1);
  EventsOf(shell).readInDataAvailable = false;
  const std::string pidfile = TempPath("rest");
  std::remove(pidfile.c_str());
  Execute(shell, Child("out:everything\\n err:left pidfile:" + pidfile +
                       " exit:2"));
  // The child has ended before the first tick, however busy the machine.
  ASSERT_TRUE(WaitForProcessEnd(ReadPidFile(pidfile)));
  std::remove(pidfile.c_str());
  ASSERT_TRUE(PumpToCompletion(shell));
  Events& e = EventsOf(shell);
  // The Completed handler read what DataAvailable left. DataAvailable may
  // come again while the output lies unread: where the pipes' ends show a
  // tick late (under Wine), it does.
  EXPECT_EQ(e.output, "everything\nleft");
  ASSERT_FALSE(e.order.empty());
  EXPECT_EQ(e.order.front(), "data");
  EXPECT_EQ(e.order.back(), "completed");
  EXPECT_EQ(std::count(e.order.begin(), e.order.end(), "completed"), 1);
  EXPECT_EQ(e.errorCodeAtCompleted, 2);
}

TEST_F(AsyncTest, UnreadOutputRaisesDataAvailableAgain) {
  void* shell = NewShell(1);
  EventsOf(shell).readInDataAvailable = false;
  Execute(shell, Child("out:waiting sleep:450"));
  ASSERT_TRUE(PumpToCompletion(shell));
  int dataEvents = 0;
  for (const std::string& name : EventsOf(shell).order) dataEvents += name == "data";
  EXPECT_GE(dataEvents, 3);
  EXPECT_EQ(EventsOf(shell).output, "waiting");
}

TEST_F(AsyncTest, PollAdvancesWithoutTimers) {
  void* shell = NewShell(1);
  Execute(shell, Child("out:polled exit:9"));
  ASSERT_TRUE(PollUntil(shell, [&] { return Done(shell); }));
  EXPECT_EQ(EventsOf(shell).output, "polled");
  EXPECT_EQ(ErrorCode(shell), 9);
  EXPECT_EQ(EventsOf(shell).completed, 1);
}

TEST_F(AsyncTest, TwoInstancesHaveTheirOwnTimers) {
  void* a = NewShell(1);
  void* b = NewShell(1);
  Execute(a, Child("out:A exit:1"));
  Execute(b, Child("sleep:200 out:B exit:2"));
  ASSERT_TRUE(PumpUntil([&] { return Done(a) && Done(b); }));
  EXPECT_EQ(EventsOf(a).output, "A");
  EXPECT_EQ(EventsOf(b).output, "B");
  EXPECT_EQ(EventsOf(a).errorCodeAtCompleted, 1);
  EXPECT_EQ(EventsOf(b).errorCodeAtCompleted, 2);
}

TEST_F(AsyncTest, TicksAreDroppedWhileAHandlerRunsInsideATick) {
  void* a = NewShell(1);
  void* b = NewShell(1);
  size_t bBefore = 0, bAfter = 0;
  bool nested = false;
  EventsOf(a).onData = [&](void*) {
    if (nested) return;
    nested = true;
    // A handler that pumps the event loop: b's due ticks are dropped.
    bBefore = EventsOf(b).order.size();
    for (int i = 0; i < 3; ++i) PumpFor(110);
    bAfter = EventsOf(b).order.size();
  };
  Execute(a, Child("out:A sleep:100"));
  Execute(b, Child("sleep:150 out:B sleep:100"));
  ASSERT_TRUE(PumpUntil([&] { return Done(a) && Done(b); }));
  EXPECT_TRUE(nested);
  EXPECT_EQ(bAfter, bBefore);
  EXPECT_EQ(EventsOf(b).output, "B");
  EXPECT_EQ(EventsOf(a).output, "A");
}

TEST_F(AsyncTest, WriteLineSendsCarriageReturnLineFeed) {
  void* shell = NewShell(1);
  Execute(shell, Child("line line exit:0"));
  Write(shell, "partial ");
  WriteLine(shell, "one");
  WriteLine(shell, "");
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(EventsOf(shell).output, "partial one\r\n\r\n");
}

TEST_F(AsyncTest, WriteReachesChildAndCloseEndsItsInput) {
  void* shell = NewShell(1);
  Execute(shell, Child("echo"));
  long pid = ChildId(shell);
  Write(shell, "to and fro");
  ASSERT_TRUE(PollUntil(shell, [&] { return EventsOf(shell).output.size() >= 10; }));
  EXPECT_EQ(EventsOf(shell).output, "to and fro");
  EXPECT_TRUE(ProcessAlive(pid));
  Close(shell);  // end of file on its input: the echoing child finishes
  EXPECT_TRUE(WaitForProcessEnd(pid));
}

// Bytes the pipe does not take at once wait in the instance, in order; the
// ticks move them on while the child reads and the host reads its output.
TEST_F(AsyncTest, FourMegabytesWrittenToAnEchoingChildAllComeBack) {
  void* shell = NewShell(1);
  Execute(shell, Child("echo"));
  std::string sent(4 << 20, '\0');
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i % 253);
  Write(shell, sent.substr(0, 3 << 20));
  Write(shell, sent.substr(3 << 20));  // queued behind the first
  const std::string& back = EventsOf(shell).output;
  ASSERT_TRUE(PumpUntil([&] { return back.size() >= sent.size(); }, 10000))
      << back.size() << " of " << sent.size() << " bytes came back";
  EXPECT_TRUE(back == sent) << "bytes out of order";
}

TEST_F(AsyncTest, WriteToAChildThatNeverReadsReturnsAtOnce) {
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:10000"));
  long pid = ChildId(shell);
  Write(shell, std::string(4 << 20, 'w'));
  WriteLine(shell, "and more");
  // A write that waited for room would have returned only once the child
  // had exited and its input broke.
  EXPECT_TRUE(ProcessAlive(pid));
  Poll(shell);
  // Left to end on its own: under Wine, killing the command interpreter
  // while it starts the child can leave the child hung for good.
  Close(shell);
}

TEST_F(AsyncTest, NewExecuteDropsInputQueuedForTheLastChild) {
  void* shell = NewShell(1);
  Execute(shell, Child("echo"));
  Write(shell, std::string(4 << 20, 'x'));  // far more than the pipes hold
  Execute(shell, Child("line exit:0"));
  WriteLine(shell, "fresh");
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(EventsOf(shell).output, "fresh\r\n");
}

TEST_F(AsyncTest, CloseDetachesAndLeavesChildRunning) {
  void* shell = NewShell(1);
  Execute(shell, Child("out:x sleep:400"));
  long pid = ChildId(shell);
  Close(shell);
  EXPECT_FALSE(IsRunning(shell));
  EXPECT_EQ(Pid(shell), 0);
  EXPECT_EQ(ReadAll(shell), "");
  EXPECT_TRUE(ProcessAlive(pid));
  PumpUntil([] { return false; }, 250);
  EXPECT_TRUE(EventsOf(shell).order.empty());
  EXPECT_EQ(rbhost::SetInteger(shell, "Mode", 0), true);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 0);
}

TEST_F(AsyncTest, DestroyingAShellLeavesItsChildRunning) {
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:400"));
  long pid = ChildId(shell);
  Destroy(shell);
  EXPECT_TRUE(ProcessAlive(pid));
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
  EXPECT_TRUE(WaitForProcessEnd(pid));
}

// A host that chains runs from Completed: the new run gets its ticks,
// DataAvailable and Completed, whether the timer or Poll raised the first.
TEST_F(AsyncTest, NewExecuteInsideCompletedIsWatchedLikeAnyOther) {
  for (bool byPoll : {false, true}) {
    SCOPED_TRACE(byPoll ? "Poll" : "timer");
    void* shell = NewShell(1);
    bool chained = false;
    EventsOf(shell).onCompleted = [&](void* s) {
      if (chained) return;
      chained = true;
      rbhost::Call(s, "Execute(command as String)",
                   Child("out:second sleep:300 exit:6"));
    };
    auto completions = [&](int n) {
      auto done = [&] { return EventsOf(shell).completed >= n; };
      return byPoll ? PollUntil(shell, done) : PumpUntil(done);
    };
    Execute(shell, Child("out:first exit:5"));
    ASSERT_TRUE(completions(1));
    EXPECT_TRUE(IsRunning(shell));
    EXPECT_NE(Pid(shell), 0);
    EXPECT_EQ(ErrorCode(shell), 0);
    ASSERT_TRUE(completions(2));
    Events& e = EventsOf(shell);
    EXPECT_EQ(e.output, "firstsecond");
    EXPECT_EQ(e.errorCodeAtCompleted, 6);
    auto first = std::find(e.order.begin(), e.order.end(), "completed");
    EXPECT_NE(std::find(first, e.order.end(), "data"), e.order.end())
        << "no DataAvailable for the second run";
    EXPECT_FALSE(IsRunning(shell));
    EXPECT_EQ(Pid(shell), 0);
    Destroy(shell);
  }
}

TEST_F(AsyncTest, ModeSetterRules) {
  void* shell = NewShell(0);
  rbhost::SetInteger(shell, "Mode", 3);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 0);
  rbhost::SetInteger(shell, "Mode", -1);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 0);
  rbhost::SetInteger(shell, "Mode", 2);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 2);
  Execute(shell, Child("sleep:300"));
  rbhost::SetInteger(shell, "Mode", 0);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 2) << "ignored while running";
  Close(shell);
  rbhost::SetInteger(shell, "Mode", 0);
  EXPECT_EQ(rbhost::GetInteger(shell, "Mode"), 0);
}

// --- Error paths ---------------------------------------------------------

TEST_F(AsyncTest, WriteToChildThatExitedReturnsQuietly) {
  void* shell = NewShell(1);
  Execute(shell, Child("exit:0"));
  long pid = ChildId(shell);
  ASSERT_TRUE(WaitForProcessEnd(pid));
  std::string big(256 * 1024, 'z');
  Write(shell, big);  // the reader is gone
  WriteLine(shell, "more");
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(ErrorCode(shell), 0);
}

TEST_F(AsyncTest, MethodsWithoutChildAreHarmless) {
  void* shell = NewShell(1);
  EXPECT_EQ(ReadAll(shell), "");
  Write(shell, "x");
  WriteLine(shell, "y");
  Poll(shell);
  Close(shell);
  EXPECT_TRUE(EventsOf(shell).order.empty());
  EXPECT_FALSE(IsRunning(shell));
}

}  // namespace
}  // namespace pwtest
