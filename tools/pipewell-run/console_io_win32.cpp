#include "console_io.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

namespace pipewell_run {

bool WaitForInput(int ms) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  if (input == nullptr || input == INVALID_HANDLE_VALUE) return true;
  switch (GetFileType(input)) {
    case FILE_TYPE_PIPE:
      // A pipe cannot be waited on: look every millisecond. A failed look
      // means the writer is gone, which the read then reports as the end.
      for (int waited = 0;; ++waited) {
        DWORD available = 0;
        if (!PeekNamedPipe(input, nullptr, 0, nullptr, &available, nullptr) ||
            available > 0) {
          return true;
        }
        if (waited >= ms) return false;
        Sleep(1);
      }
    case FILE_TYPE_CHAR:
      return WaitForSingleObject(input, static_cast<DWORD>(ms)) == WAIT_OBJECT_0;
    default:
      return true;  // a file: reads never block
  }
}

long ReadInput(char* buffer, size_t size) {
  HANDLE input = GetStdHandle(STD_INPUT_HANDLE);
  DWORD want = size > 0x10000000u ? 0x10000000u : static_cast<DWORD>(size);
  DWORD got = 0;
  if (ReadFile(input, buffer, want, &got, nullptr)) return static_cast<long>(got);
  return GetLastError() == ERROR_BROKEN_PIPE ? 0 : -1;
}

// Text mode would write each LF as CR LF, doubling the CR of lines that a
// Windows command ended with CR LF already.
void WriteStdoutAsBytes() { _setmode(_fileno(stdout), _O_BINARY); }

}  // namespace pipewell_run
