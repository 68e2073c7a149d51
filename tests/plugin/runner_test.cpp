// The process runner over the fake OS seam: what it collects, when it gives
// up, and that it leaves no handle open and writes nothing but its record.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>

#include "fake_os_process.h"
#include "process_runner.h"

namespace {

using pipewell::ChildHandles;
using pipewell::RunOptions;
using pipewell::RunResult;
using pipewell::RunStatus;

constexpr uintptr_t kTimerId = 0x5eed;

void IgnoreTick(uintptr_t) {}

class RunnerTest : public ::testing::Test {
 protected:
  void Given(const fakeos::Script& script, uint32_t now = 0) {
    fakeos::Reset(script, now);
  }

  RunResult Wait(int32_t timeOutMs = 2000,
                 size_t outputLimit = pipewell::kHostStringLimit) {
    RunOptions options;
    options.timeOutMs = timeOutMs;
    options.outputLimit = outputLimit;
    return pipewell::RunCommand(&child_, "the command", options);
  }

  RunResult Watch() {
    RunOptions options;
    options.wait = false;
    options.timerId = kTimerId;
    options.tick = &IgnoreTick;
    return pipewell::RunCommand(&child_, "the command", options);
  }

  static std::string Output(const RunResult& r) {
    return std::string(r.output.bytes() == nullptr ? "" : r.output.bytes(),
                       r.output.length());
  }

  bool Empty() const {
    return child_.process == 0 && child_.thread == 0 &&
           child_.outputRead == 0 && child_.inputWrite == 0;
  }

  static std::string Pattern(size_t size) {
    std::string s(size, '\0');
    for (size_t i = 0; i < size; ++i) s[i] = static_cast<char>('a' + i % 23);
    return s;
  }

  ChildHandles child_;
  fakeos::World& world_ = fakeos::TheWorld();
};

TEST_F(RunnerTest, WaitingCollectsEveryByteAcrossManyPassesAndDetaches) {
  fakeos::Script s;
  s.writes = Pattern(700 * 1024);  // several times the first buffer
  s.writesPerPass = 5000;
  s.exitAfterMs = 100;
  s.exitCode = 3;
  Given(s);
  RunResult r = Wait(-1);
  EXPECT_EQ(r.status, RunStatus::kExited);
  EXPECT_EQ(r.outcome, 3);
  EXPECT_EQ(Output(r), s.writes);
  EXPECT_EQ(world_.commandLine, "the command");
  EXPECT_TRUE(Empty());
  EXPECT_EQ(fakeos::OpenHandles(), 0);
  EXPECT_TRUE(world_.timers.empty());
}

TEST_F(RunnerTest, OutputWrittenJustBeforeTheExitIsCollected) {
  fakeos::Script s;
  s.writes = "last words\n";  // written and exited before the first check
  s.exitAfterMs = 0;
  Given(s);
  RunResult r = Wait();
  EXPECT_EQ(r.status, RunStatus::kExited);
  EXPECT_EQ(Output(r), "last words\n");
}

TEST_F(RunnerTest, BufferKeptFromALargeRunDoesNotLeakIntoTheNext) {
  fakeos::Script big;
  big.writes = Pattern(300 * 1024);
  big.writesPerPass = 1 << 20;
  big.pipeCapacity = 1 << 20;
  big.exitAfterMs = 2;
  Given(big);
  EXPECT_EQ(Output(Wait()), big.writes);
  fakeos::Script small;
  small.writes = "ok";
  small.exitAfterMs = 0;
  Given(small);
  EXPECT_EQ(Output(Wait()), "ok");
}

TEST_F(RunnerTest, OutputUpToTheLimitIsCollectedAndBeyondItIsTooLarge) {
  fakeos::Script s;
  s.writes = Pattern(200000);
  s.writesPerPass = 3000;
  s.exitAfterMs = 5;
  s.exitCode = 6;
  {
    SCOPED_TRACE("exactly the limit");
    Given(s);
    RunResult r = Wait(-1, 200000);
    EXPECT_EQ(r.status, RunStatus::kExited);
    EXPECT_EQ(r.outcome, 6);
    EXPECT_TRUE(Output(r) == s.writes);
  }
  {
    SCOPED_TRACE("one byte over: drained to the exit, then too large");
    Given(s);
    RunResult r = Wait(-1, 199999);
    EXPECT_EQ(r.status, RunStatus::kTooLarge);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeTooLarge);
    EXPECT_EQ(world_.written, s.writes.size()) << "the child was held up";
    EXPECT_TRUE(world_.readable.empty());
    EXPECT_FALSE(world_.terminated);
    EXPECT_TRUE(Empty());
    EXPECT_EQ(fakeos::OpenHandles(), 0);
  }
  {
    SCOPED_TRACE("over the limit but still running: the time limit wins");
    fakeos::Script endless = s;
    endless.exitAfterMs = -1;
    Given(endless);
    RunResult r = Wait(50, 1000);
    EXPECT_EQ(r.status, RunStatus::kTimedOut);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeTimedOut);
  }
}

TEST_F(RunnerTest, TimeLimitEndsTheChildEvenWhenTheTickCounterWraps) {
  fakeos::Script s;
  s.writes = "partial";
  Given(s, 0xFFFFFFFFu - 20);  // the limit falls after the wrap
  RunResult r = Wait(50);
  EXPECT_EQ(r.status, RunStatus::kTimedOut);
  EXPECT_EQ(r.outcome, pipewell::kOutcomeTimedOut);
  EXPECT_TRUE(world_.terminated);
  EXPECT_GE(world_.waits, 50);
  EXPECT_LE(world_.waits, 52);
  EXPECT_TRUE(Empty());
  EXPECT_EQ(fakeos::OpenHandles(), 0);
}

TEST_F(RunnerTest, NoTimeLimitWaitsForAsLongAsTheChildRuns) {
  fakeos::Script s;
  s.exitAfterMs = 10000;
  Given(s);
  RunResult r = Wait(-1);
  EXPECT_EQ(r.status, RunStatus::kExited);
  EXPECT_FALSE(world_.terminated);
  EXPECT_GE(world_.waits, 10000);
}

// How long a wait may run on once it has stopped waiting for the child: at
// most one read, which costs 1 ms on this clock, and the wait of a pass.
constexpr uint32_t kMarginMs = 3;

// Whatever the child leaves behind, and however fast it writes, the wait
// ends: by the time limit, or once the child has exited, within the limit
// or 1 s of the exit, with the child's own exit code.
TEST_F(RunnerTest, TimeOutBoundsTheWholeRun) {
  struct Case {
    const char* name;
    bool writerLeftBehind;  // after the exit
    bool writesForever;     // from the start; the child never exits
    int32_t timeOutMs;
    size_t outputLimit;
    RunStatus status;
    uint32_t mostMs;        // from the start, or from the exit with limit -1
  };
  const size_t kAll = pipewell::kHostStringLimit;
  const Case cases[] = {
      {"left behind, limit", true, false, 300, kAll, RunStatus::kExited, 300},
      {"left behind, no limit", true, false, -1, kAll, RunStatus::kExited, 1000},
      {"left behind, huge limit", true, false, -5, kAll, RunStatus::kExited, 1000},
      {"left behind over the output limit, limit", true, false, 300, 1000,
       RunStatus::kTooLarge, 300},
      {"left behind over the output limit, no limit", true, false, -1, 1000,
       RunStatus::kTooLarge, 1000},
      {"never exits, limit", false, true, 300, kAll, RunStatus::kTimedOut, 300},
      {"never exits over the output limit, limit", false, true, 300, 1000,
       RunStatus::kTimedOut, 300},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    fakeos::Script s;
    s.writes = "before the exit";
    s.exitAfterMs = c.writesForever ? -1 : 20;
    s.exitCode = 7;
    s.writerLeftBehind = c.writerLeftBehind;
    s.writesForever = c.writesForever;
    s.readCostMs = 1;
    Given(s);
    RunResult r = Wait(c.timeOutMs, c.outputLimit);
    EXPECT_EQ(r.status, c.status);
    if (c.status == RunStatus::kExited) {
      EXPECT_EQ(r.outcome, 7);
      EXPECT_EQ(Output(r).substr(0, 15), "before the exit");
    }
    const uint32_t from = c.timeOutMs < 0 ? world_.exitedAt : world_.startedAt;
    EXPECT_LE(world_.now - from, c.mostMs + kMarginMs);
    EXPECT_TRUE(Empty());
    EXPECT_EQ(fakeos::OpenHandles(), 0);
  }
}

// Output the buffer has no memory for counts as output over the limit: what
// was collected stays, the rest is read and thrown away so the child runs
// to its end, and the run is too large.
TEST_F(RunnerTest, OutputThatCannotBeStoredIsTooLarge) {
  for (size_t memory : {size_t{0}, size_t{64 * 1024}}) {
    SCOPED_TRACE(memory);
    fakeos::Script s;
    s.writes = Pattern(300 * 1024);
    s.writesPerPass = 5000;
    s.exitAfterMs = 50;
    s.exitCode = 2;
    Given(s);
    fakeos::SetMemoryLimit(memory);
    RunResult r = Wait(100000);
    EXPECT_EQ(r.status, RunStatus::kTooLarge);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeTooLarge);
    EXPECT_EQ(world_.written, s.writes.size()) << "the child was held up";
    EXPECT_FALSE(world_.terminated);
    EXPECT_TRUE(Output(r) == s.writes.substr(0, memory));
    EXPECT_TRUE(Empty());
  }
}

TEST_F(RunnerTest, WatchingKeepsTheChildAttachedUntilDetached) {
  fakeos::Script s;
  s.exitAfterMs = 0;
  Given(s);
  RunResult r = Watch();
  EXPECT_EQ(r.status, RunStatus::kWatching);
  EXPECT_EQ(r.outcome, 0);
  EXPECT_EQ(world_.timers.count(kTimerId), 1u);
  EXPECT_EQ(world_.timers[kTimerId], 100u);
  EXPECT_EQ(child_.process, fakeos::kProcess);

  fakeos::ChildWrites("chunk");
  EXPECT_TRUE(pipewell::OutputWaiting(child_));
  std::string bytes = "kept:";
  EXPECT_TRUE(pipewell::ReadWaiting(child_, &bytes));
  EXPECT_EQ(bytes, "kept:chunk");
  EXPECT_FALSE(pipewell::OutputWaiting(child_));
  EXPECT_EQ(world_.nonBlocking, 1);
  pipewell::InputQueue queue;
  pipewell::WriteToChild(child_, &queue, "in\r\n", 4);
  EXPECT_EQ(world_.input, "in\r\n");
  EXPECT_TRUE(queue.empty());

  int32_t code = -7;
  EXPECT_TRUE(pipewell::ChildExited(child_, &code));
  EXPECT_EQ(code, 0);
  pipewell::DetachChild(&child_, kTimerId);
  EXPECT_TRUE(Empty());
  EXPECT_TRUE(world_.timers.empty());
  EXPECT_EQ(fakeos::OpenHandles(), 0);
  EXPECT_FALSE(world_.terminated);  // detached, not ended
}

TEST_F(RunnerTest, InputThePipeRefusesWaitsInOrderUntilThereIsRoom) {
  fakeos::Script s;
  s.inputRoom = 10;
  Given(s);
  Watch();
  pipewell::InputQueue queue;
  pipewell::WriteToChild(child_, &queue, "abcdefghijklmnop", 16);
  EXPECT_EQ(world_.input, "abcdefghij");
  EXPECT_EQ(queue.size(), 6u);
  pipewell::WriteToChild(child_, &queue, "XYZ", 3);  // behind, not ahead
  EXPECT_EQ(world_.input, "abcdefghij");
  fakeos::ChildReads(4);
  pipewell::SendQueued(child_, &queue);
  EXPECT_EQ(world_.input, "abcdefghijklmn");
  fakeos::ChildReads(100);
  pipewell::WriteToChild(child_, &queue, "!", 1);
  EXPECT_EQ(world_.input, "abcdefghijklmnopXYZ!");
  EXPECT_TRUE(queue.empty());
}

TEST_F(RunnerTest, ALongQueueDrainedInSmallPiecesKeepsEveryByte) {
  fakeos::Script s;
  s.inputRoom = 0;
  Given(s);
  Watch();
  pipewell::InputQueue queue;
  const std::string sent = Pattern(100000);
  for (size_t at = 0; at < sent.size(); at += 999) {
    pipewell::WriteToChild(child_, &queue, sent.data() + at,
                           std::min<size_t>(999, sent.size() - at));
  }
  for (int i = 0; i < 1000 && !queue.empty(); ++i) {
    fakeos::ChildReads(777);
    pipewell::SendQueued(child_, &queue);
  }
  EXPECT_TRUE(queue.empty());
  EXPECT_TRUE(world_.input == sent);
}

// Error paths: nothing started, nothing readable, nothing attached.
TEST_F(RunnerTest, Failures) {
  {
    SCOPED_TRACE("no child can be created");
    fakeos::Script s;
    s.createFails = true;
    Given(s);
    RunResult r = Wait();
    EXPECT_EQ(r.status, RunStatus::kNoShell);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeNoShell);
    EXPECT_TRUE(Empty());
    EXPECT_TRUE(world_.timers.empty());
  }
  {
    SCOPED_TRACE("the timer cannot be started: the child is ended");
    fakeos::Script s;
    s.timerFails = true;
    Given(s);
    RunResult r = Watch();
    EXPECT_EQ(r.status, RunStatus::kNoShell);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeNoShell);
    EXPECT_TRUE(world_.terminated);
    EXPECT_TRUE(world_.waitedFor) << "ended but not waited for";
    EXPECT_TRUE(Empty());
    EXPECT_EQ(fakeos::OpenHandles(), 0);
    EXPECT_TRUE(world_.timers.empty());
  }
  {
    SCOPED_TRACE("the child's status cannot be read");
    fakeos::Script s;
    s.statusUnreadable = true;
    s.writes = "never collected";
    Given(s);
    RunResult r = Wait();
    EXPECT_EQ(r.status, RunStatus::kLost);
    EXPECT_EQ(r.outcome, pipewell::kOutcomeNoShell);
    EXPECT_TRUE(Empty());
    EXPECT_EQ(fakeos::OpenHandles(), 0);
  }
  {
    SCOPED_TRACE("the child's input has no reader: the queue is dropped");
    fakeos::Script s;
    s.inputRoom = 2;
    Given(s);
    Watch();
    pipewell::InputQueue queue;
    pipewell::WriteToChild(child_, &queue, "abcdef", 6);
    EXPECT_EQ(queue.size(), 4u);
    world_.script.inputGone = true;
    fakeos::ChildReads(100);
    pipewell::SendQueued(child_, &queue);
    EXPECT_TRUE(queue.empty());
    pipewell::WriteToChild(child_, &queue, "more", 4);
    EXPECT_TRUE(queue.empty());
    EXPECT_EQ(world_.input, "ab");
    pipewell::DetachChild(&child_, kTimerId);
  }
  {
    SCOPED_TRACE("an empty record");
    Given(fakeos::Script());
    ChildHandles none;
    std::string bytes;
    int32_t code = 0;
    EXPECT_FALSE(pipewell::OutputWaiting(none));
    EXPECT_FALSE(pipewell::ReadWaiting(none, &bytes));
    EXPECT_FALSE(pipewell::ChildExited(none, &code));
    pipewell::InputQueue queue;
    pipewell::WriteToChild(none, &queue, "x", 1);
    EXPECT_TRUE(world_.input.empty());
    EXPECT_TRUE(queue.empty()) << "nothing kept for a child that is not there";
    pipewell::DetachChild(&none, 0);
    EXPECT_EQ(fakeos::OpenHandles(), 0);
  }
}

}  // namespace
