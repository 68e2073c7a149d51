// Asynchronous modes on Windows: window timers dispatched by the host's
// message loop, and exit code 259.
#include <windows.h>

#include <cstdlib>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

class AsyncWin32Test : public PluginTest {
 protected:
  bool Done(void* shell) { return EventsOf(shell).completed > 0; }
  bool PumpToCompletion(void* shell) {
    return PumpUntil([&] { return Done(shell); });
  }
};

TEST_F(AsyncWin32Test, TimersRideTheHostsMessageLoop) {
  void* shell = NewShell(1);
  Execute(shell, Child("out:ticked sleep:300 exit:4"));
  // The library has nothing to dispatch itself, even while it watches.
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(EventsOf(shell).output, "ticked");
  EXPECT_EQ(EventsOf(shell).errorCodeAtCompleted, 4);
  EXPECT_EQ(Plugin().dispatchTimers(), -1);
}

TEST_F(AsyncWin32Test, TimerWindowIsTheKindThisDesktopAllows) {
  // A desktop gets the hidden top-level window; a headless one (no
  // graphics driver) only a message-only window. The test run says which
  // to expect; without a word, either will do.
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:200"));
  // FindWindowA finds message-only windows too under Wine: the parent tells.
  HWND messageOnly = FindWindowExA(HWND_MESSAGE, nullptr, "PipewellTimer", nullptr);
  HWND any = FindWindowA("PipewellTimer", nullptr);
  bool topLevel = any != nullptr && GetAncestor(any, GA_PARENT) == GetDesktopWindow();
  const char* expected = std::getenv("PIPEWELL_TEST_TIMER_WINDOW");
  std::string kind = expected != nullptr ? expected : "";
  if (kind == "top-level") {
    EXPECT_TRUE(topLevel);
    EXPECT_EQ(messageOnly, nullptr);
  } else if (kind == "message-only") {
    EXPECT_FALSE(topLevel);
    EXPECT_NE(messageOnly, nullptr);
  } else {
    EXPECT_TRUE(topLevel || messageOnly != nullptr);
  }
  ASSERT_TRUE(PumpToCompletion(shell));
}

// A host may unload the library and load it again in one process; each
// load must get a timer window of its own. A copy of the library under
// another name is used, so that the test program's own load stays as it is.
// One Shell is left watched at each unload: its timer must go with the
// library, or the next message pump would call into unloaded code.
TEST_F(AsyncWin32Test, LibraryLoadedAgainAfterAnUnloadWatchesItsChildren) {
  std::string copy = TempPath("reloaded.dll");
  ASSERT_TRUE(CopyFileA(NativePath(PIPEWELL_LIBRARY).c_str(), copy.c_str(),
                        FALSE));
  for (int load = 1; load <= 2; ++load) {
    SCOPED_TRACE(load);
    pipewell_loader::Plugin plugin;
    std::string error;
    ASSERT_TRUE(pipewell_loader::LoadPlugin(copy, &plugin, &error)) << error;
    rbhost::Reset();
    plugin.main(&rbhost::Resolve);
    void* shell = NewShell(1);
    Execute(shell, Child("out:again exit:3"));
    EXPECT_TRUE(IsRunning(shell));
    EXPECT_TRUE(PumpToCompletion(shell));
    EXPECT_EQ(EventsOf(shell).errorCodeAtCompleted, 3);
    EXPECT_EQ(EventsOf(shell).output, "again");
    Destroy(shell);
    // Never deleted: its destructor went with the library.
    void* left = rbhost::NewInstance("Shell");
    rbhost::SetInteger(left, "Mode", 1);
    rbhost::Call(left, "Execute(command as String)", Child("sleep:500"));
    EXPECT_TRUE(rbhost::GetBoolean(left, "IsRunning"));
    rbhost::Reset();
    pipewell_loader::UnloadPlugin(&plugin);
    PumpFor(250);  // a timer left behind would fire here
  }
  DeleteFileA(copy.c_str());
}

TEST_F(AsyncWin32Test, ExitCode259RaisesCompleted) {
  void* shell = NewShell(1);
  Execute(shell, "exit 259");
  ASSERT_TRUE(PumpToCompletion(shell));
  EXPECT_EQ(EventsOf(shell).errorCodeAtCompleted, 259);
  EXPECT_FALSE(IsRunning(shell));
}

}  // namespace
}  // namespace pwtest
