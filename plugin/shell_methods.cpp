#include "shell_methods.h"

#include <string>
#include <unordered_map>

#include "process_runner.h"
#include "shell_data.h"

namespace pipewell {

uintptr_t g_dataAvailableEvent = 0;
uintptr_t g_completedEvent = 0;

namespace {

const char kNoShell[] = "No shell available";
const char kTimedOut[] = "Shell timed out";
const char kTooLarge[] = "Shell output too large";

// The longest output a synchronous Execute hands back. CMake sets it to the
// host's limit (kHostStringLimit); a test build of the library lowers it so
// that going over costs megabytes.
#ifndef PIPEWELL_OUTPUT_LIMIT
#define PIPEWELL_OUTPUT_LIMIT 2147483647
#endif
constexpr size_t kOutputLimit = PIPEWELL_OUTPUT_LIMIT;
static_assert(kOutputLimit <= kHostStringLimit, "a host string must hold it");

bool g_encodingKnown = false;
uint32_t g_systemEncoding = 0;
bool g_tickBusy = false;
HostString g_lineEnd = nullptr;

// Each function is called straight from the host, so nothing may escape it:
// a failure (in practice only allocation) leaves the instance as it is.
#define PIPEWELL_GUARD(body) \
  try {                      \
    body                     \
  } catch (...) {            \
  }

// Converted strings are released on every path out of Execute.
class Converted {
 public:
  Converted(HostString s, uint32_t encoding)
      : s_(HostConvertString(s, encoding)) {}
  ~Converted() { HostUnlockString(s_); }
  Converted(const Converted&) = delete;
  Converted& operator=(const Converted&) = delete;
  HostString get() const { return s_; }

 private:
  HostString s_;
};

// Instances constructed and not yet destroyed, each with the serial of its
// construction. A host event handler may free its own instance, and the host
// may hand the address to a new instance before the handler returns, so
// after raising an event the instance is touched only while that same
// construction is still alive.
std::unordered_map<void*, uint64_t>& LiveInstances() {
  static auto* live = new std::unordered_map<void*, uint64_t>();
  return *live;
}
uint64_t g_lastSerial = 0;

// 0 when `instance` is not alive.
uint64_t SerialOf(void* instance) {
  auto it = LiveInstances().find(instance);
  return it == LiveInstances().end() ? 0 : it->second;
}

uintptr_t TimerId(void* instance) { return reinterpret_cast<uintptr_t>(instance); }

void ReplaceResult(ShellData* data, HostString s) {
  HostUnlockString(data->Result);
  data->Result = s;
}

// The command line in the system encoding: `command`, then a space and
// `parameters` when those convert to a non-nil string.
std::string CommandLine(HostString command, HostString parameters) {
  if (!g_encodingKnown) {
    g_systemEncoding = HostFontEncoding("System");
    g_encodingKnown = true;
  }
  Converted convertedCommand(command, g_systemEncoding);
  Converted convertedParameters(parameters, g_systemEncoding);
  const char* parameterBytes = nullptr;
  if (convertedParameters.get() != nullptr) {
    parameterBytes = HostCString(convertedParameters.get());
    if (parameterBytes == nullptr) parameterBytes = "";
  }
  return OsComposeCommandLine(HostCString(convertedCommand.get()),
                              parameterBytes);
}

// Input still queued for a child is of no use to any other.
void DropInput(ShellData* data) {
  delete data->Pending;
  data->Pending = nullptr;
}

void CloseChild(void* instance) {
  ShellData* data = DataOf(instance);
  DetachChild(&data->Child, TimerId(instance));
  DropInput(data);
  data->IsRunning = false;
}

void SendInput(void* instance) {
  ShellData* data = DataOf(instance);
  if (data->Pending != nullptr) SendQueued(data->Child, data->Pending);
}

// Calls the instance's handler for the event, if it has one. Returns
// whether the instance outlived the handler; when it did not, its memory
// may already be gone or belong to another instance.
bool RaiseEvent(void* instance, uintptr_t eventWord) {
  EventHandler handler = HostEventHandler(instance, eventWord);
  if (handler == nullptr) return true;
  const uint64_t serial = SerialOf(instance);
  handler(instance);
  return serial != 0 && SerialOf(instance) == serial;
}

// Returns false when the DataAvailable handler freed the instance.
bool PollOutput(void* instance) {
  if (!OutputWaiting(DataOf(instance)->Child)) return true;
  return RaiseEvent(instance, g_dataAvailableEvent);
}

// The exit code is stored before Completed runs, and the pipes stay open
// for its handler; the instance is detached only after it returns, unless
// the handler freed it (its destructor detached it then) or started a new
// run, which is watched like any other.
void PollExit(void* instance) {
  ShellData* data = DataOf(instance);
  int32_t code = 0;
  if (!ChildExited(data->Child, &code)) return;
  DropInput(data);
  data->ErrorCode = code;
  const uint32_t run = data->Runs;
  if (!RaiseEvent(instance, g_completedEvent)) return;
  if (DataOf(instance)->Runs == run) CloseChild(instance);
}

// One tick's work: move queued input on, then look for output and the
// exit; nothing after a handler that freed the instance.
void PollOnce(void* instance) {
  SendInput(instance);
  if (PollOutput(instance)) PollExit(instance);
}

// One timer tick for the instance named by `id`; dropped while another tick
// is running anywhere in the process.
void TimerTick(uintptr_t id) {
  if (id == 0 || g_tickBusy) return;
  // Cleared on every way out, so one failing tick cannot stop all others.
  struct BusyScope {
    BusyScope() { g_tickBusy = true; }
    ~BusyScope() { g_tickBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
  } busy;
  PollOnce(reinterpret_cast<void*>(id));
}

void WriteInput(void* instance, HostString s) {
  ShellData* data = DataOf(instance);
  if (data->Child.inputWrite == 0) return;
  if (data->Pending == nullptr) data->Pending = new InputQueue();
  uint32_t length = HostStringLength(s);
  WriteToChild(data->Child, data->Pending, HostCString(s), length);
}

HostString LineEnd() {
  if (g_lineEnd == nullptr) g_lineEnd = HostBuildString("\r\n", 2);
  return g_lineEnd;
}

}  // namespace

void ShellConstructor(void* instance) {
  ShellData* data = DataOf(instance);
  data->ErrorCode = 0;
  data->TimeOut = 2000;
  data->Mode = 0;
  data->IsRunning = false;
  data->Result = nullptr;
  data->Child = ChildHandles();
  data->Pending = nullptr;
  data->Runs = 0;
  // An instance that cannot be recorded counts as freed once it raises an
  // event: a missed detach is safer than touching freed memory.
  PIPEWELL_GUARD({ LiveInstances()[instance] = ++g_lastSerial; })
}

void ShellDestructor(void* instance) {
  LiveInstances().erase(instance);
  PIPEWELL_GUARD({
    CloseChild(instance);
    ReplaceResult(DataOf(instance), nullptr);
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
    data->Runs++;
    ReplaceResult(data, nullptr);
    CloseChild(instance);
    RunOptions options;
    options.wait = data->Mode == 0;
    options.timeOutMs = data->TimeOut;
    options.outputLimit = kOutputLimit;
    options.timerId = TimerId(instance);
    options.tick = &TimerTick;
    RunResult run =
        RunCommand(&data->Child, CommandLine(command, parameters), options);
    switch (run.status) {
      case RunStatus::kNoShell:
        ReplaceResult(data, HostBuildString(kNoShell, sizeof kNoShell - 1));
        break;
      case RunStatus::kTimedOut:
        ReplaceResult(data, HostBuildString(kTimedOut, sizeof kTimedOut - 1));
        break;
      case RunStatus::kTooLarge:
        ReplaceResult(data, HostBuildString(kTooLarge, sizeof kTooLarge - 1));
        break;
      case RunStatus::kExited:
        ReplaceResult(data,
                      HostBuildString(run.output.bytes(),
                                      static_cast<int>(run.output.length())));
        break;
      case RunStatus::kLost:
        break;
      case RunStatus::kWatching:
        data->IsRunning = true;
        break;
    }
    data->ErrorCode = run.outcome;
  })
}

void ShellExecute(void* instance, HostString command) {
  ShellExecuteWithParameters(instance, command, nullptr);
}

HostString ShellReadAll(void* instance) {
  PIPEWELL_GUARD({
    std::string bytes;
    if (!ReadWaiting(DataOf(instance)->Child, &bytes)) return nullptr;
    return HostBuildString(bytes.data(), static_cast<int>(bytes.size()));
  })
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

void ShellPoll(void* instance) { PIPEWELL_GUARD({ PollOnce(instance); }) }

}  // namespace pipewell
