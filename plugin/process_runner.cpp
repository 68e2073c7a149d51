#include "process_runner.h"

#include <cstring>
#include <string>
#include <utility>

#include "os_process.h"
#include "shell_data.h"

namespace pipewell {

uintptr_t g_dataAvailableEvent = 0;
uintptr_t g_completedEvent = 0;

namespace {

constexpr uint32_t kTimerPeriodMs = 100;
constexpr size_t kInitialBuffer = 64 * 1024;
const char kNoShell[] = "No shell available";
const char kTimedOut[] = "Shell timed out";

bool g_encodingKnown = false;
uint32_t g_systemEncoding = 0;
bool g_tickBusy = false;
HostString g_lineEnd = nullptr;

// Converted strings are released on every path out of RunCommand.
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

// The collection buffer of the last synchronous wait, kept for the next.
// Collecting a large output costs mostly fresh pages, which the kernel must
// fault in and zero; a kept buffer gives them again for free. The trade-off
// is memory, so the kept pages are handed back with OsReleaseBytes: the
// system reclaims them as soon as it needs memory (until then they still
// count in the host's resident size), and reuse costs nothing while it does
// not. What stays is address space only, bounded by kKeepLimit: plenty on a
// 64-bit host, scarce on a 32-bit one.
constexpr size_t kKeepLimit =
    sizeof(void*) >= 8 ? size_t{1} << 30 : size_t{16} << 20;
char* g_keptBytes = nullptr;
size_t g_keptCapacity = 0;

// Output collected by a synchronous wait. Grows geometrically, by remapping
// rather than copying, so that a large output costs time in proportion to
// its size. Takes the kept buffer when there is one and leaves its own
// behind when it ends.
class OutputBuffer {
 public:
  OutputBuffer() {
    std::swap(bytes_, g_keptBytes);
    std::swap(capacity_, g_keptCapacity);
  }
  ~OutputBuffer() {
    if (g_keptBytes == nullptr && capacity_ <= kKeepLimit) {
      // Only the pages written by this run: the rest were released before
      // or never used, and walking a large buffer's pages after every small
      // run would cost milliseconds.
      OsReleaseBytes(bytes_, length_);
      g_keptBytes = bytes_;
      g_keptCapacity = capacity_;
      return;
    }
    OsUnmapBytes(bytes_, capacity_);
  }
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  bool Reserve() {
    if (length_ < capacity_) return true;
    size_t capacity = capacity_ == 0 ? kInitialBuffer : capacity_ * 2;
    void* grown = bytes_ == nullptr
                      ? OsMapBytes(capacity)
                      : OsRemapBytes(bytes_, capacity_, capacity);
    if (grown == nullptr) return false;
    bytes_ = static_cast<char*>(grown);
    capacity_ = capacity;
    return true;
  }
  char* free_part() { return bytes_ + length_; }
  size_t free_size() const { return capacity_ - length_; }
  void Grow(size_t n) { length_ += n; }
  const char* bytes() const { return bytes_; }
  size_t length() const { return length_; }

 private:
  char* bytes_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

void ReplaceResult(ShellData* data, HostString s) {
  HostUnlockString(data->Result);
  data->Result = s;
}

// Reads what waits in the pipe; stops at the first read that does not fill
// the whole free part (the pipe is then empty).
void Drain(OsHandle pipe, OutputBuffer* buffer) {
  for (;;) {
    if (!buffer->Reserve()) return;
    size_t want = buffer->free_size();
    long n = OsReadPipe(pipe, buffer->free_part(), want);
    if (n <= 0) return;
    buffer->Grow(static_cast<size_t>(n));
    if (static_cast<size_t>(n) < want) return;
  }
}

int32_t WaitForChild(void* instance) {
  ShellData* data = DataOf(instance);
  int32_t outcome = kOutcomeNoShell;
  const uint32_t start = OsTickCount();
  OutputBuffer buffer;
  OsSetNonBlocking(data->OutputRead);
  for (;;) {
    // Status first, then drain: whatever the child wrote before exiting is
    // already in the pipe when the exit is seen, so this pass collects it.
    ExitStatus status = OsExitStatus(data->ProcessHandle);
    if (status.state == ExitState::kUnreadable) break;
    Drain(data->OutputRead, &buffer);
    if (status.state == ExitState::kExited) {
      outcome = status.code;
      ReplaceResult(data, HostBuildString(buffer.bytes(),
                                          static_cast<int>(buffer.length())));
      break;
    }
    OsWaitOnPipe(data->OutputRead, 1);
    if (data->TimeOut == -1) continue;
    if (OsTickCount() - start < static_cast<uint32_t>(data->TimeOut)) continue;
    OsTerminate(data->ProcessHandle);
    outcome = kOutcomeTimedOut;
    ReplaceResult(data, HostBuildString(kTimedOut, sizeof kTimedOut - 1));
    break;
  }
  CloseChild(instance);
  return outcome;
}

int32_t StartWatching(void* instance) {
  ShellData* data = DataOf(instance);
  data->IsRunning = true;
  OsStartTimer(reinterpret_cast<uintptr_t>(instance), kTimerPeriodMs,
               TimerTick);
  return 0;
}

void RaiseEvent(void* instance, uintptr_t eventWord) {
  EventHandler handler = HostEventHandler(instance, eventWord);
  if (handler != nullptr) handler(instance);
}

}  // namespace

int32_t RunCommand(void* instance, HostString command, HostString parameters) {
  ShellData* data = DataOf(instance);
  if (!g_encodingKnown) {
    g_systemEncoding = HostFontEncoding("System");
    g_encodingKnown = true;
  }
  Converted convertedCommand(command, g_systemEncoding);
  Converted convertedParameters(parameters, g_systemEncoding);
  ReplaceResult(data, nullptr);

  const char* parameterBytes = nullptr;
  if (convertedParameters.get() != nullptr) {
    parameterBytes = HostCString(convertedParameters.get());
    if (parameterBytes == nullptr) parameterBytes = "";
  }
  std::string line =
      OsComposeCommandLine(HostCString(convertedCommand.get()), parameterBytes);

  ChildHandles child;
  if (!OsCreateChild(line, &child)) {
    CloseChild(instance);
    ReplaceResult(data, HostBuildString(kNoShell, sizeof kNoShell - 1));
    return kOutcomeNoShell;
  }
  data->ProcessHandle = child.process;
  data->ThreadHandle = child.thread;
  data->OutputRead = child.outputRead;
  data->InputWrite = child.inputWrite;
  if (data->Mode == 0) return WaitForChild(instance);
  return StartWatching(instance);
}

void CloseChild(void* instance) {
  ShellData* data = DataOf(instance);
  OsStopTimer(reinterpret_cast<uintptr_t>(instance));
  if (data->InputWrite != 0) OsClosePipe(data->InputWrite);
  if (data->OutputRead != 0) OsClosePipe(data->OutputRead);
  if (data->ProcessHandle != 0) OsCloseProcess(data->ProcessHandle);
  if (data->ThreadHandle != 0) OsCloseThread(data->ThreadHandle);
  data->InputWrite = 0;
  data->OutputRead = 0;
  data->ProcessHandle = 0;
  data->ThreadHandle = 0;
  data->IsRunning = false;
}

void PollOutput(void* instance) {
  ShellData* data = DataOf(instance);
  if (data->OutputRead == 0) return;
  uint32_t available = 0;
  if (OsPeekPipe(data->OutputRead, &available) && available != 0) {
    RaiseEvent(instance, g_dataAvailableEvent);
  }
}

void PollExit(void* instance) {
  ShellData* data = DataOf(instance);
  if (data->ProcessHandle == 0) return;
  ExitStatus status = OsExitStatus(data->ProcessHandle);
  if (status.state != ExitState::kExited) return;
  data->ErrorCode = status.code;
  RaiseEvent(instance, g_completedEvent);
  CloseChild(instance);
}

void TimerTick(uintptr_t id) {
  if (id == 0 || g_tickBusy) return;
  // Cleared on every way out, so one failing tick cannot stop all others.
  struct BusyScope {
    BusyScope() { g_tickBusy = true; }
    ~BusyScope() { g_tickBusy = false; }
    BusyScope(const BusyScope&) = delete;
    BusyScope& operator=(const BusyScope&) = delete;
  } busy;
  void* instance = reinterpret_cast<void*>(id);
  PollOutput(instance);
  PollExit(instance);
}

HostString ReadAvailable(void* instance) {
  ShellData* data = DataOf(instance);
  if (data->OutputRead == 0) return nullptr;
  uint32_t available = 0;
  if (!OsPeekPipe(data->OutputRead, &available) || available == 0) {
    return nullptr;
  }
  std::string bytes(available, '\0');
  long n = OsReadPipe(data->OutputRead, &bytes[0], available);
  if (n <= 0) return nullptr;
  return HostBuildString(bytes.data(), static_cast<int>(n));
}

void WriteInput(void* instance, HostString s) {
  ShellData* data = DataOf(instance);
  if (data->InputWrite == 0) return;
  uint32_t length = HostStringLength(s);
  const char* bytes = HostCString(s);
  if (length == 0 || bytes == nullptr) return;
  OsWritePipe(data->InputWrite, bytes, length);
}

HostString LineEnd() {
  if (g_lineEnd == nullptr) g_lineEnd = HostBuildString("\r\n", 2);
  return g_lineEnd;
}

}  // namespace pipewell
