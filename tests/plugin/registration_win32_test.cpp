// The library's export list, read from the export table of the loaded
// pipewell.dll.
#include <windows.h>

#include <set>
#include <string>

#include "plugin_fixture.h"

namespace pwtest {
namespace {

// The fixture has the library loaded, as the test needs.
class RegistrationWin32Test : public PluginTest {};

std::set<std::string> ExportedNames(HMODULE module) {
  std::set<std::string> names;
  auto* base = reinterpret_cast<const unsigned char*>(module);
  auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& entry =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_EXPORT];
  if (entry.VirtualAddress == 0) return names;
  auto* exports = reinterpret_cast<const IMAGE_EXPORT_DIRECTORY*>(
      base + entry.VirtualAddress);
  auto* nameRvas = reinterpret_cast<const DWORD*>(base + exports->AddressOfNames);
  for (DWORD i = 0; i < exports->NumberOfNames; ++i) {
    names.insert(reinterpret_cast<const char*>(base + nameRvas[i]));
  }
  // Entries exported by ordinal only would have no name: count them too.
  for (DWORD i = exports->NumberOfNames; i < exports->NumberOfFunctions; ++i) {
    names.insert("#" + std::to_string(i));
  }
  return names;
}

TEST_F(RegistrationWin32Test, ExportsOnlyEntryPointAndTimerPump) {
  HMODULE module = GetModuleHandleA("pipewell.dll");
  ASSERT_NE(module, nullptr);
  std::set<std::string> expected = {"REALPluginMain", "PipewellDispatchTimers"};
  EXPECT_EQ(ExportedNames(module), expected);
}

TEST_F(RegistrationWin32Test, NeedsNoDllOfTheCompilers) {
  for (const char* runtime :
       {"libstdc++-6.dll", "libgcc_s_seh-1.dll", "libwinpthread-1.dll"}) {
    EXPECT_EQ(GetModuleHandleA(runtime), nullptr) << runtime << " is loaded";
  }
}

}  // namespace
}  // namespace pwtest
