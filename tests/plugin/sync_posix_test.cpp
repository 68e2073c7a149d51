// Synchronous Execute through /bin/sh: signals and the shell's own reading
// of the command line.
#include "plugin_fixture.h"

namespace pwtest {
namespace {

class SyncPosixTest : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    shell = NewShell(0);
  }
  void* shell = nullptr;
};

TEST_F(SyncPosixTest, ChildEndedBySignalReports128PlusSignal) {
  Execute(shell, "echo before; kill -9 $$");
  EXPECT_EQ(ErrorCode(shell), 128 + 9);
  EXPECT_EQ(Result(shell), "before\n");
  Execute(shell, "kill -15 $$");
  EXPECT_EQ(ErrorCode(shell), 128 + 15);
}

TEST_F(SyncPosixTest, ParametersFollowCommandAfterOneSpace) {
  Execute(shell, "printf '[%s]' ", "a b");
  EXPECT_EQ(Result(shell), "[a][b]");
  Execute(shell, "echo", "");
  EXPECT_EQ(Result(shell), "\n");
}

TEST_F(SyncPosixTest, CommandStartingWithDashIsACommandNotAnOption) {
  Execute(shell, "-definitely-not-a-command");
  EXPECT_EQ(ErrorCode(shell), 127);
  EXPECT_NE(Result(shell).find("-definitely-not-a-command"), std::string::npos);
}

}  // namespace
}  // namespace pwtest
