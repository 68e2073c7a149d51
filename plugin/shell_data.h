#ifndef PIPEWELL_SHELL_DATA_H_
#define PIPEWELL_SHELL_DATA_H_

#include <cstddef>
#include <cstdint>

#include "host_api.h"

namespace pipewell {

// Per-instance data of `Shell`, allocated by the host inside each instance.
// The host reads and writes several fields directly at their offsets, so
// the layout is part of the binary interface.
struct ShellData {
  int32_t ErrorCode;  // outcome of the last Execute
  int32_t TimeOut;    // synchronous limit in ms, compared unsigned; -1 none
  int32_t Mode;       // 0 synchronous; 1 and 2 asynchronous
  bool IsRunning;     // an asynchronous child is being watched
  HostString Result;  // owns one reference, or nil
  uintptr_t ProcessHandle;  // child process (its pid here), 0 for none
  uintptr_t ThreadHandle;   // child's primary thread, 0 where there is none
  uintptr_t OutputRead;     // our end of the child's stdout+stderr pipe
  uintptr_t InputWrite;     // our end of the child's stdin pipe
};

static_assert(offsetof(ShellData, ErrorCode) == 0, "layout");
static_assert(offsetof(ShellData, TimeOut) == 4, "layout");
static_assert(offsetof(ShellData, Mode) == 8, "layout");
static_assert(offsetof(ShellData, IsRunning) == 12, "layout");
static_assert(offsetof(ShellData, Result) == 16,
              "layout");
static_assert(offsetof(ShellData, ProcessHandle) ==
                  offsetof(ShellData, Result) + sizeof(void*),
              "layout");
static_assert(offsetof(ShellData, InputWrite) ==
                  offsetof(ShellData, ProcessHandle) + 3 * sizeof(uintptr_t),
              "layout");

// Finds the instance's data: the instance address plus the data offset the
// host wrote into the class record's system word at registration.
ShellData* DataOf(void* instance);

}  // namespace pipewell

#endif  // PIPEWELL_SHELL_DATA_H_
