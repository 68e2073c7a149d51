#include "shell_methods.h"

#include "process_runner.h"
#include "shell_data.h"

namespace pipewell {

// Each function is called straight from the host, so nothing may escape it:
// a failure (in practice only allocation) leaves the instance as it is.
#define PIPEWELL_GUARD(body) \
  try {                      \
    body                     \
  } catch (...) {            \
  }

void ShellConstructor(void* instance) {
  ShellData* data = DataOf(instance);
  data->ErrorCode = 0;
  data->TimeOut = 2000;
  data->Mode = 0;
  data->IsRunning = false;
  data->Result = nullptr;
  data->ProcessHandle = 0;
  data->ThreadHandle = 0;
  data->OutputRead = 0;
  data->InputWrite = 0;
}

void ShellDestructor(void* instance) {
  PIPEWELL_GUARD({
    CloseChild(instance);
    ShellData* data = DataOf(instance);
    HostUnlockString(data->Result);
    data->Result = nullptr;
  })
}

HostString ShellResultGetter(void* instance, intptr_t) {
  HostString result = DataOf(instance)->Result;
  HostLockString(result);
  return result;
}

void ShellModeSetter(void* instance, intptr_t, int32_t value) {
  ShellData* data = DataOf(instance);
  if (value < 0 || value > 2 || data->IsRunning) return;
  data->Mode = value;
}

void ShellExecuteWithParameters(void* instance, HostString command,
                                HostString parameters) {
  PIPEWELL_GUARD({
    ShellData* data = DataOf(instance);
    HostUnlockString(data->Result);
    data->Result = nullptr;
    CloseChild(instance);
    int32_t outcome = RunCommand(instance, command, parameters);
    DataOf(instance)->ErrorCode = outcome;
  })
}

void ShellExecute(void* instance, HostString command) {
  ShellExecuteWithParameters(instance, command, nullptr);
}

HostString ShellReadAll(void* instance) {
  PIPEWELL_GUARD({ return ReadAvailable(instance); })
  return nullptr;
}

void ShellWrite(void* instance, HostString s) {
  PIPEWELL_GUARD({ WriteInput(instance, s); })
}

void ShellWriteLine(void* instance, HostString s) {
  PIPEWELL_GUARD({
    WriteInput(instance, s);
    WriteInput(instance, LineEnd());
  })
}

void ShellClose(void* instance) { PIPEWELL_GUARD({ CloseChild(instance); }) }

void ShellPoll(void* instance) {
  PIPEWELL_GUARD({
    PollOutput(instance);
    PollExit(instance);
  })
}

}  // namespace pipewell
