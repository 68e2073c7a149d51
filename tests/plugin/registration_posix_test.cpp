// The library's export list, as the dynamic linker sees it.
#include <dlfcn.h>

#include <cstdio>
#include <cstring>
#include <set>
#include <string>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

// The fixture has the library loaded, as the test needs.
class RegistrationPosixTest : public PluginTest {};

TEST_F(RegistrationPosixTest, ExportsOnlyEntryPointAndTimerPump) {
  void* handle = dlopen(PIPEWELL_LIBRARY, RTLD_NOW | RTLD_NOLOAD);
  ASSERT_NE(handle, nullptr);
  EXPECT_EQ(dlsym(handle, "_ZN8pipewell11DetachChildEPNS_12ChildHandlesEm"),
            nullptr);
  dlclose(handle);  // drops only the reference this test took
  std::string cmd = std::string("nm -D --defined-only '") + PIPEWELL_LIBRARY +
                    "' 2>/dev/null";
  FILE* nm = popen(cmd.c_str(), "r");
  ASSERT_NE(nm, nullptr);
  std::set<std::string> exported;
  char line[512];
  while (std::fgets(line, sizeof line, nm) != nullptr) {
    char addr[64], kind[8], name[400];
    if (std::sscanf(line, "%63s %7s %399s", addr, kind, name) == 3 &&
        std::strchr("TtWwDdBbVvRr", kind[0]) != nullptr) {
      exported.insert(name);
    }
  }
  pclose(nm);
  std::set<std::string> expected = {"REALPluginMain", "PipewellDispatchTimers"};
  EXPECT_EQ(exported, expected);
}

}  // namespace
}  // namespace pwtest
