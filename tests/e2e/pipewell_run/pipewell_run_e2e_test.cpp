// pipewell-run as a person uses it: its time limit, its standard input, its
// help and usage errors, and the exit status it passes on.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/run_program.h"
#include "support/run_with_input.h"
#include "support/temp_dir.h"

namespace {

const std::string kUsageLine =
    "usage: pipewell-run " PIPEWELL_RUN_SYNOPSIS "\n";

class PipewellRunTest : public ::testing::Test {
 protected:
  // pw-child with `steps`, as one command line for the shell.
  static std::string Child(const std::vector<std::string>& steps) {
    std::string line = PW_CHILD;
    for (const std::string& step : steps) line += " '" + step + "'";
    return line;
  }

  // Runs pipewell-run with its standard input empty (at its end).
  RunResult Run(const std::vector<std::string>& args) {
    return RunProgram(PIPEWELL_RUN_EXE, args, dir_.path());
  }

  // Runs pipewell-run with `input` on its standard input, closed after it
  // unless `keep_open`; fails the test when it does not finish by itself.
  RunResult Feed(const std::vector<std::string>& args, const std::string& input,
                 bool keep_open = false) {
    bool deadline_passed = false;
    RunResult r = RunWithInput(PIPEWELL_RUN_EXE, args, dir_.path(),
                               {input, keep_open, 15000}, &deadline_passed);
    EXPECT_FALSE(deadline_passed) << "pipewell-run did not finish";
    return r;
  }

  void ExpectUsageError(const std::vector<std::string>& args) {
    RunResult r = Run(args);
    std::string shown;
    for (const std::string& a : args) shown += "[" + a + "]";
    EXPECT_EQ(2, r.exit_code) << shown;
    EXPECT_EQ("", r.out) << shown;
    EXPECT_NE(std::string::npos, r.err.find(kUsageLine)) << shown << r.err;
  }

  TempDir dir_;
};

// --- Time limit ----------------------------------------------------------

TEST_F(PipewellRunTest, HasNoTimeLimitByDefault) {
  // Longer than the Shell class's own 2000 ms default.
  RunResult r = Run({Child({"sleep:2300", "out:done"})});
  EXPECT_EQ("done\nErrorCode: 0\n", r.out);
  EXPECT_EQ(0, r.exit_code);
}

TEST_F(PipewellRunTest, TimeoutSetsALimitThatExitsWith124) {
  RunResult r = Run({"--timeout", "200", Child({"sleep:5000", "out:done"})});
  EXPECT_EQ("Shell timed out\nErrorCode: -2\n", r.out);
  EXPECT_EQ(124, r.exit_code);
}

// --- Standard input ------------------------------------------------------

TEST_F(PipewellRunTest, AsynchronousModesPassStandardInputOn) {
  for (const char* mode : {"1", "2"}) {
    RunResult r = Feed({"--mode", mode, Child({"line", "line"})}, "one\ntwo\n");
    EXPECT_EQ("one\ntwo\nCompleted: ErrorCode 0\n", r.out) << mode;
    EXPECT_EQ(0, r.exit_code) << mode;
  }
}

TEST_F(PipewellRunTest, PassesInputOnAsItArrivesNotAtItsEnd) {
  // Our input stays open: the child answers from the first line alone.
  RunResult r =
      Feed({"--mode", "1", Child({"line", "exit:5"})}, "first\n", true);
  EXPECT_EQ("first\nCompleted: ErrorCode 5\n", r.out);
  EXPECT_EQ(5, r.exit_code);
}

TEST_F(PipewellRunTest, PassesOnInputLargerThanAPipeHolds) {
  std::string input;
  for (int i = 0; input.size() < 300000; ++i) input += std::to_string(i) + ",";
  input += "\n";
  RunResult r = Feed(
      {"--mode", "1", Child({"take:" + std::to_string(input.size())})}, input);
  EXPECT_EQ(input + "Completed: ErrorCode 0\n", r.out);
}

TEST_F(PipewellRunTest, WhenInputEndsTheChildsInputStaysOpenAndEmpty) {
  // As the help and the manual page say: the Shell cannot end it alone.
  RunResult r = Feed({"--mode", "1", Child({"line", "sleep:200", "stdin"})},
                     "only\n");
  EXPECT_EQ("only\nopen\nCompleted: ErrorCode 0\n", r.out);
}

TEST_F(PipewellRunTest, SynchronousModePassesNothingOn) {
  RunResult r = Feed({"--timeout", "10000", Child({"sleep:200", "stdin"})},
                     "data\n");
  EXPECT_EQ("open\nErrorCode: 0\n", r.out);
}

// --- Help, version and usage errors --------------------------------------

TEST_F(PipewellRunTest, HelpGoesToStandardOutputWithStatus0) {
  for (const char* word : {"--help", "-h"}) {
    RunResult r = Run({word});
    EXPECT_EQ(0, r.exit_code) << word;
    EXPECT_EQ("", r.err) << word;
    EXPECT_EQ(0u, r.out.find(kUsageLine)) << r.out;
    // It says what the child sees when our input ends.
    EXPECT_NE(std::string::npos, r.out.find("input does NOT end")) << r.out;
  }
}

TEST_F(PipewellRunTest, VersionGoesToStandardOutputWithStatus0) {
  RunResult r = Run({"--version"});
  EXPECT_EQ("pipewell-run " PROJECT_VERSION_TEXT "\n", r.out);
  EXPECT_EQ("", r.err);
  EXPECT_EQ(0, r.exit_code);
}

TEST_F(PipewellRunTest, WordsAfterTheCommandArePassedOnEvenHelp) {
  RunResult r = Run({"echo", "--help"});
  EXPECT_EQ("--help\nErrorCode: 0\n", r.out);
  EXPECT_EQ(0, r.exit_code);
}

TEST_F(PipewellRunTest, UsageErrorsGoToStandardErrorWithStatus2) {
  ExpectUsageError({});
  ExpectUsageError({"--"});
  ExpectUsageError({"--bogus", "true"});
  ExpectUsageError({"--mode"});
  ExpectUsageError({"--timeout", "soon", "true"});
  ExpectUsageError({"--timeout", "-2", "true"});
  ExpectUsageError({"--timeout", "99999999999", "true"});
  ExpectUsageError({"true", "a", "b"});
}

// --- Modes and exit status -----------------------------------------------

TEST_F(PipewellRunTest, RefusesModesOtherThan0To2AndRunsNothing) {
  const std::string marker = dir_.File("ran");
  for (const char* mode : {"7", "3", "-1", "1x", ""}) {
    ExpectUsageError({"--mode", mode, Child({"pidfile:" + marker})});
    EXPECT_FALSE(FileExists(marker)) << mode;
  }
}

TEST_F(PipewellRunTest, PassesTheChildsExitCodeOnInEveryMode) {
  for (const char* code : {"0", "1", "3", "255"}) {
    RunResult sync = Run({Child({std::string("exit:") + code})});
    EXPECT_EQ(std::string("ErrorCode: ") + code + "\n", sync.out);
    EXPECT_EQ(std::atoi(code), sync.exit_code) << code;
    for (const char* mode : {"1", "2"}) {
      RunResult async =
          Run({"--mode", mode, Child({std::string("exit:") + code})});
      EXPECT_EQ(std::string("Completed: ErrorCode ") + code + "\n", async.out);
      EXPECT_EQ(std::atoi(code), async.exit_code) << mode << " " << code;
    }
  }
}

TEST_F(PipewellRunTest, AChildEndedBySignalNGives128PlusN) {
  EXPECT_EQ(143, Run({Child({"signal:15"})}).exit_code);
  EXPECT_EQ(137, Run({"--mode", "1", Child({"signal:9"})}).exit_code);
}

TEST_F(PipewellRunTest, NoShellAvailableGives127) {
  // With five descriptors at most, the Shell cannot make its two pipes.
  RunResult r = RunProgram(
      "/bin/sh", {"-c", "ulimit -n 5 && exec \"$0\" \"$@\"", PIPEWELL_RUN_EXE,
                  "true"},
      dir_.path());
  EXPECT_EQ("No shell available\nErrorCode: -1\n", r.out);
  EXPECT_EQ(127, r.exit_code);
}

TEST_F(PipewellRunTest, APlugInThatCannotBeLoadedGives125) {
  RunResult r = Run({"--plugin", dir_.File("missing.so"), "true"});
  EXPECT_EQ(125, r.exit_code);
  EXPECT_EQ("", r.out);
  EXPECT_NE(std::string::npos, r.err.find("cannot load")) << r.err;
}

TEST_F(PipewellRunTest, OutputTooLargeForTheShellGives125) {
  // The test build of the plug-in holds at most 1 MiB of output.
  RunResult r = Run({"--plugin", PIPEWELL_SMALL_LIMIT_LIBRARY,
                     Child({"big:2000000", "exit:0"})});
  EXPECT_EQ("Shell output too large\nErrorCode: -3\n", r.out);
  EXPECT_EQ(125, r.exit_code);
}

}  // namespace
