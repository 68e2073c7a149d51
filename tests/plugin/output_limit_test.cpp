// Synchronous output beyond the longest string the host can hold. Built
// against a test build of the library whose limit is PIPEWELL_TEST_LIMIT
// bytes instead of the host's 2^31 - 1, so going over costs megabytes; the
// run at the real limit is in the benchmark (--host-string-limit).
#include <cstdio>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

constexpr long kLimit = PIPEWELL_TEST_LIMIT;

class OutputLimitTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    shell = NewShell(0);
    rbhost::SetInteger(shell, "TimeOut", 20000);
  }
  void RunWriting(long bytes, const std::string& after = "") {
    Execute(shell, Child("big:" + std::to_string(bytes) + " " + after));
  }
  void ExpectTooLarge() {
    EXPECT_EQ(ErrorCode(shell), -3);
    std::string result = Result(shell);
    ASSERT_LT(result.size(), 100u) << "the output itself came back";
    EXPECT_EQ(result, "Shell output too large");
  }
  void* shell = nullptr;
};

TEST_F(OutputLimitTest, OutputOfExactlyTheLimitIsCollectedWhole) {
  RunWriting(kLimit, "exit:4");
  EXPECT_EQ(ErrorCode(shell), 4);
  std::string out = Result(shell);
  ASSERT_EQ(out.size(), static_cast<size_t>(kLimit));
  long wrong = 0;
  while (wrong < kLimit && static_cast<unsigned char>(out[wrong]) == wrong % 251) ++wrong;
  EXPECT_EQ(wrong, kLimit) << "first wrong byte";
}

TEST_F(OutputLimitTest, OneByteOverIsReportedAsTooLarge) {
  RunWriting(kLimit + 1, "exit:4");
  ExpectTooLarge();
  EXPECT_EQ(Pid(shell), 0);
}

// The rest is read and thrown away, so the child is not left blocked on a
// full pipe: it runs to its end and the run reports at its exit.
TEST_F(OutputLimitTest, FarOverDrainsToTheChildsExit) {
  RunWriting(8 * kLimit, "out:tail exit:0");
  ExpectTooLarge();
  Execute(shell, Child("out:next"));  // the instance is fit for the next run
  EXPECT_EQ(Result(shell), "next");
  EXPECT_EQ(ErrorCode(shell), 0);
}

TEST_F(OutputLimitTest, TimeLimitStillWinsOverTooLarge) {
  rbhost::SetInteger(shell, "TimeOut", 300);
  RunWriting(2 * kLimit, "sleep:5000");
  EXPECT_EQ(ErrorCode(shell), -2);
  EXPECT_EQ(Result(shell), "Shell timed out");
}

// A process the child leaves behind writes faster than the run reads: its
// bytes go over the limit, and the run still ends within a second of the
// child's exit, or just after the time limit.
TEST_F(OutputLimitTest, FastWriterLeftBehindCannotHoldTheRun) {
  struct Case {
    int timeOut;
    const char* then;  // what the child does after starting the writer
    int errorCode;
    long mostMs;  // generous: a loaded machine starts processes slowly
  };
  const Case cases[] = {
      {-1, "sleep:200 exit:5", -3, 200 + 1000 + 3000},
      // The limit leaves a slow machine time to start both processes.
      {2000, "sleep:60000", -2, 2000 + 3000},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.timeOut);
    std::string pidfile = TempPath("spew");
    std::remove(pidfile.c_str());
    rbhost::SetInteger(shell, "TimeOut", c.timeOut);
    long took = TimedExecute(
        shell, Child("spew:" + pidfile + " " + c.then));
    EXPECT_EQ(ErrorCode(shell), c.errorCode);
    EXPECT_LT(took, c.mostMs);
    long writer = ReadPidFile(pidfile);
    ASSERT_GT(writer, 0);
    EXPECT_TRUE(WaitForProcessEnd(writer));
    std::remove(pidfile.c_str());
  }
}

}  // namespace
}  // namespace pwtest
