// Synchronous Execute: output, exit codes, parameters and time limits.
#include <cstdio>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

class SyncTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    shell = NewShell(0);
  }
  // Runs the helper writing `size` bytes of its pattern, and checks them.
  void ExpectPatternRun(long size) {
    Execute(shell, Child("big:" + std::to_string(size)));
    std::string out = Result(shell);
    ASSERT_EQ(out.size(), static_cast<size_t>(size));
    EXPECT_EQ(ErrorCode(shell), 0);
    long wrong = 0;
    while (wrong < size && static_cast<unsigned char>(out[wrong]) == wrong % 251) ++wrong;
    EXPECT_EQ(wrong, size) << "first wrong byte";
  }
  void* shell = nullptr;
};

TEST_F(SyncTest, CollectsOutputWithStandardErrorInterleaved) {
  Execute(shell, Child("out:one\\n err:two\\n sleep:5 out:three\\n err:four"));
  EXPECT_EQ(Result(shell), "one\ntwo\nthree\nfour");
  EXPECT_EQ(ErrorCode(shell), 0);
}

TEST_F(SyncTest, ReportsExitCodes) {
  Execute(shell, Child("out:x exit:3"));
  EXPECT_EQ(ErrorCode(shell), 3);
  EXPECT_EQ(Result(shell), "x");
  Execute(shell, "exit 255");
  EXPECT_EQ(ErrorCode(shell), 255);
  Execute(shell, Child(""));  // no output at all
  EXPECT_EQ(ErrorCode(shell), 0);
  bool nil = true;
  EXPECT_EQ(Result(shell, &nil), "");
  EXPECT_FALSE(nil) << "an exited child's empty output is a string, not nil";
}

TEST_F(SyncTest, CommandLineIsNotCutAt1023Bytes) {
  // The length is in the parameters: cmd.exe under Wine refuses a quoted
  // command part that long as "File name is too long".
  std::string steps, expected;
  for (int i = 0; i < 50; ++i) {
    std::string word(99, static_cast<char>('a' + i % 26));
    steps += " out:" + word;
    expected += word;
  }
  Execute(shell, Child("out:["), steps + " out:]");
  EXPECT_EQ(Result(shell), "[" + expected + "]");
}

TEST_F(SyncTest, AfterReturnNoChildIsAttached) {
  Execute(shell, Child("out:hello"));
  EXPECT_FALSE(IsRunning(shell));
  EXPECT_EQ(Pid(shell), 0);
  EXPECT_EQ(ReadAll(shell), "");
  Write(shell, "ignored");  // reaches no child, harms nothing
  EXPECT_EQ(Result(shell), "hello");
}

TEST_F(SyncTest, LargeOutputArrivesWhole) {
  ExpectPatternRun(3 * 1024 * 1024 + 17);
  rbhost::SetInteger(shell, "TimeOut", -1);  // a slow machine takes its time
  ExpectPatternRun(64L * 1024 * 1024);
}

TEST_F(SyncTest, OutputsAroundBufferGrowthStepsArriveWhole) {
  // The collection buffer starts at 64 KiB and doubles.
  for (long size : {65535L, 65536L, 65537L, 131072L, 262143L}) {
    ExpectPatternRun(size);
  }
}

TEST_F(SyncTest, RunsAfterALargeOneCollectOnlyTheirOwnBytes) {
  // Each run reuses the collection buffer of the one before.
  ExpectPatternRun(5 * 1024 * 1024);
  Execute(shell, Child("out:small"));
  EXPECT_EQ(Result(shell), "small");
  ExpectPatternRun(9 * 1024 * 1024 + 3);  // outgrows the buffer it reuses
  Execute(shell, Child(""));
  EXPECT_EQ(Result(shell), "");
  rbhost::SetInteger(shell, "TimeOut", 0);
  Execute(shell, Child("big:100000 sleep:5000"));
  EXPECT_EQ(Result(shell), "Shell timed out");
  rbhost::SetInteger(shell, "TimeOut", -1);
  ExpectPatternRun(70000);
}

TEST_F(SyncTest, BinaryOutputKeepsEveryByte) {
  Execute(shell, Child("bytes out:tail"));
  std::string out = Result(shell);
  ASSERT_EQ(out.size(), 256u + 4);
  for (int i = 0; i < 256; ++i) EXPECT_EQ(static_cast<unsigned char>(out[i]), i);
  EXPECT_EQ(out.substr(256), "tail");
}

TEST_F(SyncTest, ResultEmptiedAtEachExecute) {
  Execute(shell, Child("out:first"));
  Execute(shell, Child("exit:1"));
  EXPECT_EQ(Result(shell), "");
  EXPECT_EQ(ErrorCode(shell), 1);
}

TEST_F(SyncTest, ChildReadingInputWaitsUntilTheLimit) {
  // Standard input stays open and unwritten during a synchronous wait.
  rbhost::SetInteger(shell, "TimeOut", 150);
  long took = TimedExecute(shell, Child("line out:never"));
  EXPECT_EQ(ErrorCode(shell), -2);
  EXPECT_GE(took, 140);
}

// --- Time limits -----------------------------------------------------------

TEST_F(SyncTest, SmallLimitEndsChildWithMinusTwo) {
  rbhost::SetInteger(shell, "TimeOut", 100);
  long took = TimedExecute(shell, Child("out:partial sleep:10000"));
  EXPECT_EQ(ErrorCode(shell), -2);
  EXPECT_EQ(Result(shell), "Shell timed out");
  EXPECT_GE(took, 95);
  EXPECT_LT(took, 5000);
  EXPECT_EQ(Pid(shell), 0);
}

TEST_F(SyncTest, ZeroLimitEndsChildAtFirstPassFindingItRunning) {
  rbhost::SetInteger(shell, "TimeOut", 0);
  Execute(shell, Child("sleep:5000"));
  EXPECT_EQ(ErrorCode(shell), -2);
  EXPECT_EQ(Result(shell), "Shell timed out");
}

TEST_F(SyncTest, MinusOneMeansNoLimit) {
  rbhost::SetInteger(shell, "TimeOut", -1);
  Execute(shell, Child("sleep:300 out:late exit:4"));
  EXPECT_EQ(ErrorCode(shell), 4);
  EXPECT_EQ(Result(shell), "late");
}

TEST_F(SyncTest, OtherNegativeLimitIsHugeUnsignedLimit) {
  rbhost::SetInteger(shell, "TimeOut", -5);
  Execute(shell, Child("sleep:200 out:ok"));
  EXPECT_EQ(ErrorCode(shell), 0);
  EXPECT_EQ(Result(shell), "ok");
}

TEST_F(SyncTest, LimitEndsEverythingTheChildStarted) {
  // The grandchild outlives the child and holds the output pipe open: the
  // limit must end it too, or it would run on and keep the pipe.
  std::string pidfile = TempPath("grandchild");
  std::remove(pidfile.c_str());
  // Long enough for a slow system to start both processes.
  rbhost::SetInteger(shell, "TimeOut", 4000);
  long took = TimedExecute(shell, Child("grandchild:" + pidfile + " sleep:20000"));
  EXPECT_EQ(ErrorCode(shell), -2);
  EXPECT_LT(took, 10000);
  long grandchild = ReadPidFile(pidfile);
  ASSERT_GT(grandchild, 0);
  EXPECT_TRUE(WaitForProcessEnd(grandchild));
  std::remove(pidfile.c_str());
}

// A process the child leaves behind writing on keeps the pipe open for
// ever: the run still ends soon after the child's exit, with its exit code,
// and the writer ends with the pipe.
TEST_F(SyncTest, WriterLeftBehindDoesNotHoldTheExitBack) {
  for (int timeOut : {-1, 20000}) {
    SCOPED_TRACE(timeOut);
    std::string pidfile = TempPath("trickle");
    std::remove(pidfile.c_str());
    rbhost::SetInteger(shell, "TimeOut", timeOut);
    long took = TimedExecute(
        shell, Child("trickle:" + pidfile + " out:mine sleep:100 exit:5"));
    EXPECT_EQ(ErrorCode(shell), 5);
    EXPECT_NE(Result(shell).find("mine"), std::string::npos);
    EXPECT_LT(took, 5000);
    long writer = ReadPidFile(pidfile);
    ASSERT_GT(writer, 0);
    EXPECT_TRUE(WaitForProcessEnd(writer));
    std::remove(pidfile.c_str());
  }
}

TEST_F(SyncTest, ExitIsSeenPromptlyWhenChildClosesItsOutputEarly) {
  rbhost::SetInteger(shell, "TimeOut", 5000);
  long took = TimedExecute(shell, Child("out:bye closeout sleep:200 exit:6"));
  EXPECT_EQ(ErrorCode(shell), 6);
  EXPECT_EQ(Result(shell), "bye");
  EXPECT_LT(took, 2000);
}

TEST_F(SyncTest, ResultGetterHandsOutItsOwnReference) {
  Execute(shell, Child("out:kept"));
  long live = rbhost::LiveStrings();
  for (int i = 0; i < 10; ++i) EXPECT_EQ(Result(shell), "kept");
  EXPECT_EQ(rbhost::LiveStrings(), live);
  Destroy(shell);
  EXPECT_EQ(rbhost::LiveStrings(), live - 1);
  EXPECT_EQ(rbhost::StringMisuses(), 0);
}

// --- Error paths ---------------------------------------------------------

TEST_F(SyncTest, HostWithoutConversionRunsAnEmptyCommand) {
  rbhost::Reset();
  rbhost::RemoveEntry("REALConvertString");
  Plugin().main(&rbhost::Resolve);
  Execute(shell, Child("out:hidden"));
  EXPECT_EQ(ErrorCode(shell), 0);
  EXPECT_EQ(Result(shell), "");
}

}  // namespace
}  // namespace pwtest
