// The Windows side of the plug-in test fixture: paths with backslashes,
// words quoted for cmd.exe, processes by their ids.
#include <windows.h>

#include "plugin_fixture.h"

namespace pwtest {

std::string NativePath(const std::string& path) {
  std::string native = path;
  for (char& c : native) {
    if (c == '/') c = '\\';
  }
  return native;
}

std::string QuoteArgument(const std::string& word) {
  // cmd.exe keeps a word whole unless it holds a space; quotes would also
  // pass into the program's arguments, so a plain word goes as it is.
  if (!word.empty() && word.find_first_of(" \t\"") == std::string::npos) {
    return word;
  }
  return "\"" + word + "\"";
}

long ProcessIdOf(int pidProperty) {
  HANDLE process = reinterpret_cast<HANDLE>(static_cast<intptr_t>(pidProperty));
  return static_cast<long>(GetProcessId(process));
}

long OwnProcessId() { return static_cast<long>(GetCurrentProcessId()); }

bool ProcessAlive(long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_QUERY_LIMITED_INFORMATION,
                               FALSE, static_cast<DWORD>(pid));
  if (process == nullptr) return false;
  bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

}  // namespace pwtest
