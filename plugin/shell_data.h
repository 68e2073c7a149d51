#ifndef PIPEWELL_SHELL_DATA_H_
#define PIPEWELL_SHELL_DATA_H_

#include <cstddef>
#include <cstdint>

#include "host_api.h"
#include "os_process.h"

namespace pipewell {

class InputQueue;

// Per-instance data of `Shell`, allocated by the host inside each instance.
// The host reads and writes several fields directly at their offsets, so
// the layout is part of the binary interface.
struct ShellData {
  int32_t ErrorCode;  // outcome of the last Execute (see shell_class.cpp)
  int32_t TimeOut;    // synchronous limit in ms, compared unsigned; -1 none
  int32_t Mode;       // 0 synchronous; 1 and 2 asynchronous
  bool IsRunning;     // an asynchronous child is being watched
  HostString Result;  // owns one reference, or nil
  ChildHandles Child;  // the attached child, all 0 for none; runner-owned
  // Input the child's pipe has not taken yet; owned, made at the first Write
  // to a child and deleted when the instance detaches from it. The host
  // knows nothing of this field.
  InputQueue* Pending;
  // Execute calls made on this instance, so that a handler's new run can be
  // told from the one whose event it handles. The host knows nothing of it.
  uint32_t Runs;
};

static_assert(offsetof(ShellData, ErrorCode) == 0, "layout");
static_assert(offsetof(ShellData, TimeOut) == 4, "layout");
static_assert(offsetof(ShellData, Mode) == 8, "layout");
static_assert(offsetof(ShellData, IsRunning) == 12, "layout");
static_assert(offsetof(ShellData, Result) == 16,
              "layout");
// The PID property reads the process handle, the first of four words.
constexpr size_t kProcessHandleOffset =
    offsetof(ShellData, Child) + offsetof(ChildHandles, process);
static_assert(kProcessHandleOffset ==
                  offsetof(ShellData, Result) + sizeof(void*),
              "layout");
static_assert(offsetof(ChildHandles, inputWrite) == 3 * sizeof(uintptr_t) &&
                  sizeof(ChildHandles) == 4 * sizeof(uintptr_t),
              "layout");

// Finds the instance's data: the instance address plus the data offset the
// host wrote into the class record's system word at registration.
ShellData* DataOf(void* instance);

}  // namespace pipewell

#endif  // PIPEWELL_SHELL_DATA_H_
