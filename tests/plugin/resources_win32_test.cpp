// Handles and host strings over many runs, and what a child inherits, on
// Windows.
#include <windows.h>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

DWORD HandleCount() {
  DWORD count = 0;
  GetProcessHandleCount(GetCurrentProcess(), &count);
  return count;
}

class ResourcesWin32Test : public PluginTest {};

TEST_F(ResourcesWin32Test, ThousandRunsLeakNoHandlesOrStrings) {
  void* sync = NewShell(0);
  void* async = NewShell(1);
  Execute(sync, "exit 0");  // first runs build what the library keeps
  Execute(async, "exit 0");
  WriteLine(async, "");
  Close(async);
  DWORD handlesBefore = HandleCount();
  long stringsBefore = rbhost::LiveStrings();

  for (int i = 0; i < 1000; ++i) {
    switch (i % 4) {
      case 0: Execute(sync, "exit 0"); break;
      case 1: Execute(sync, "exit", "1"); break;
      case 2: Execute(async, "exit 0"); break;  // detached by the next run
      case 3:
        Execute(async, "exit 2");
        WriteLine(async, "ignored");
        Close(async);
        break;
    }
  }
  Execute(sync, "exit 0");
  Close(async);
  EXPECT_EQ(HandleCount(), handlesBefore);
  EXPECT_EQ(rbhost::LiveStrings(), stringsBefore);
  EXPECT_EQ(rbhost::StringMisuses(), 0);
}

TEST_F(ResourcesWin32Test, ChildInheritsOnlyItsOwnPipeEnds) {
  // An inheritable pipe of the host's: were the child to inherit the write
  // end, the reader would see no end of the pipe while the child runs.
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  ASSERT_TRUE(CreatePipe(&read, &write, &inheritable, 0));
  void* shell = NewShell(1);
  Execute(shell, Child("sleep:1500"));
  ASSERT_TRUE(IsRunning(shell));
  CloseHandle(write);
  DWORD available = 0;
  BOOL open = PeekNamedPipe(read, nullptr, 0, nullptr, &available, nullptr);
  DWORD error = GetLastError();
  CloseHandle(read);
  EXPECT_FALSE(open) << "the child holds the host's pipe";
  if (!open) {
    EXPECT_EQ(error, static_cast<DWORD>(ERROR_BROKEN_PIPE));
  }
}

}  // namespace
}  // namespace pwtest
