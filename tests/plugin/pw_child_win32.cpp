#include "pw_child_os.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

namespace pwchild {

void PrepareStreams() {
  // Text mode would turn each LF written into CR LF, and read CR LF as LF.
  _setmode(0, _O_BINARY);
  _setmode(1, _O_BINARY);
  _setmode(2, _O_BINARY);
}

long ProcessId() { return static_cast<long>(GetCurrentProcessId()); }

void StartGrandchild(const char*, const char* pidPath, const char* then) {
  char self[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string line = std::string("\"") + self + "\" \"pidfile:" + pidPath +
                     "\" " + then;
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = GetStdHandle(STD_OUTPUT_HANDLE);
  startup.hStdError = GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION info;
  ZeroMemory(&info, sizeof info);
  if (CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                     nullptr, &startup, &info)) {
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
}

const char* StdinState() {
  DWORD available = 0;
  if (!PeekNamedPipe(GetStdHandle(STD_INPUT_HANDLE), nullptr, 0, nullptr,
                     &available, nullptr)) {
    return "eof";  // the writer has closed its end
  }
  return available > 0 ? "data" : "open";
}

bool SystemStep(const std::string&, const char*) { return false; }

}  // namespace pwchild
