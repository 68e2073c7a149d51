// Synchronous Execute through cmd.exe: the composed command line, exit code
// 259 and the working folder.
#include <windows.h>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

class SyncWin32Test : public PluginTest {
 protected:
  void SetUp() override {
    PluginTest::SetUp();
    shell = NewShell(0);
  }
  void* shell = nullptr;
};

TEST_F(SyncWin32Test, ExitCode259IsAnExitNotARunningChild) {
  // 259 is also STILL_ACTIVE, what a running child's exit code reads.
  rbhost::SetInteger(shell, "TimeOut", 4000);
  long took = TimedExecute(shell, "exit 259");
  EXPECT_EQ(ErrorCode(shell), 259);
  EXPECT_EQ(Result(shell), "");
  EXPECT_LT(took, 3000);
}

TEST_F(SyncWin32Test, CommandIsQuotedAndFollowedByOneSpace) {
  // "cmd.exe /A /C "echo x" ": the space after the quote reaches echo.
  Execute(shell, "echo x");
  EXPECT_EQ(Result(shell), "x \r\n");
  Execute(shell, "echo", "a b");
  EXPECT_EQ(Result(shell), "a b\r\n");
}

TEST_F(SyncWin32Test, ParametersReachTheProgram) {
  Execute(shell, NativePath(PW_CHILD), "out:a out:b exit:7");
  EXPECT_EQ(Result(shell), "ab");
  EXPECT_EQ(ErrorCode(shell), 7);
}

TEST_F(SyncWin32Test, ChildStartsInTheCurrentLocalFolder) {
  // (A folder on a network path, which sends the child to the Windows
  // folder instead, cannot be made current under Wine.)
  char current[MAX_PATH];
  ASSERT_GT(GetCurrentDirectoryA(MAX_PATH, current), 0u);
  Execute(shell, Child("cwd"));
  EXPECT_EQ(CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE,
                           Result(shell).c_str(), -1, current, -1),
            CSTR_EQUAL)
      << Result(shell) << " is not " << current;
}

}  // namespace
}  // namespace pwtest
