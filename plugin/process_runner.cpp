#include "process_runner.h"

#include <algorithm>
#include <utility>

namespace pipewell {
namespace {

constexpr uint32_t kTimerPeriodMs = 100;

// Reads what waits in the pipe into `buffer`, up to `limit` bytes in all;
// bytes beyond it are read and thrown away and set `overflow`. Stops at the
// first read that does not fill what it asked for (the pipe is then empty).
void Drain(OsHandle pipe, OutputBuffer* buffer, size_t limit, bool* overflow) {
  char discard[64 * 1024];
  for (;;) {
    char* into = discard;
    size_t want = sizeof discard;
    const bool collecting = buffer->length() < limit;
    if (collecting) {
      if (!buffer->Reserve()) return;
      into = buffer->free_part();
      want = std::min(buffer->free_size(), limit - buffer->length());
    }
    long n = OsReadPipe(pipe, into, want);
    if (n <= 0) return;
    if (collecting) {
      buffer->Grow(static_cast<size_t>(n));
    } else {
      *overflow = true;
    }
    if (static_cast<size_t>(n) < want) return;
  }
}

// Draining each pass until a short read, into one buffer that grows
// geometrically, keeps a large output within a small factor of a plain
// pipe (figures in the README's Benchmarks).
RunResult WaitForChild(ChildHandles* child, int32_t timeOutMs,
                       size_t outputLimit) {
  RunResult result;
  bool overflow = false;
  const uint32_t start = OsTickCount();
  OsSetNonBlocking(child->outputRead);
  for (;;) {
    // Status first, then drain: whatever the child wrote before exiting is
    // already in the pipe when the exit is seen, so this pass collects it.
    ExitStatus status = OsExitStatus(child->process);
    if (status.state == ExitState::kUnreadable) {
      result.status = RunStatus::kLost;
      break;
    }
    Drain(child->outputRead, &result.output, outputLimit, &overflow);
    if (status.state == ExitState::kExited) {
      result.status = overflow ? RunStatus::kTooLarge : RunStatus::kExited;
      result.outcome = overflow ? kOutcomeTooLarge : status.code;
      break;
    }
    OsWaitOnPipe(child->outputRead, 1);
    if (timeOutMs == -1) continue;
    if (OsTickCount() - start < static_cast<uint32_t>(timeOutMs)) continue;
    OsTerminate(child->process);
    result.status = RunStatus::kTimedOut;
    result.outcome = kOutcomeTimedOut;
    break;
  }
  DetachChild(child, 0);
  return result;
}

}  // namespace

RunResult RunCommand(ChildHandles* child, const std::string& commandLine,
                     const RunOptions& options) {
  if (!OsCreateChild(commandLine, child)) {
    *child = ChildHandles();
    return RunResult();
  }
  // Writes to the child must never hold up the host thread.
  OsSetNonBlocking(child->inputWrite);
  if (options.wait) {
    return WaitForChild(child, options.timeOutMs, options.outputLimit);
  }
  OsStartTimer(options.timerId, kTimerPeriodMs, options.tick);
  RunResult result;
  result.status = RunStatus::kWatching;
  result.outcome = 0;
  return result;
}

void DetachChild(ChildHandles* child, uintptr_t timerId) {
  if (timerId != 0) OsStopTimer(timerId);
  if (child->inputWrite != 0) OsClosePipe(child->inputWrite);
  if (child->outputRead != 0) OsClosePipe(child->outputRead);
  if (child->process != 0) OsCloseProcess(child->process);
  if (child->thread != 0) OsCloseThread(child->thread);
  *child = ChildHandles();
}

bool OutputWaiting(const ChildHandles& child) {
  if (child.outputRead == 0) return false;
  uint32_t available = 0;
  return OsPeekPipe(child.outputRead, &available) && available != 0;
}

bool ChildExited(const ChildHandles& child, int32_t* code) {
  if (child.process == 0) return false;
  ExitStatus status = OsExitStatus(child.process);
  if (status.state != ExitState::kExited) return false;
  *code = status.code;
  return true;
}

bool ReadWaiting(const ChildHandles& child, std::string* bytes) {
  if (child.outputRead == 0) return false;
  uint32_t available = 0;
  if (!OsPeekPipe(child.outputRead, &available) || available == 0) {
    return false;
  }
  size_t old = bytes->size();
  bytes->resize(old + available);
  long n = OsReadPipe(child.outputRead, &(*bytes)[old], available);
  bytes->resize(old + (n > 0 ? static_cast<size_t>(n) : 0));
  return n > 0;
}

void WriteToChild(const ChildHandles& child, InputQueue* queue,
                  const char* bytes, size_t size) {
  if (child.inputWrite == 0 || bytes == nullptr || size == 0) return;
  if (queue->empty()) {
    // Most writes fit the pipe: send them straight from the caller's bytes.
    for (;;) {
      long n = OsWriteSome(child.inputWrite, bytes, size);
      if (n < 0) return;
      if (n == 0) break;
      bytes += n;
      size -= static_cast<size_t>(n);
      if (size == 0) return;
    }
  }
  queue->Append(bytes, size);
  SendQueued(child, queue);
}

void SendQueued(const ChildHandles& child, InputQueue* queue) {
  if (child.inputWrite == 0) return;
  while (!queue->empty()) {
    long n = OsWriteSome(child.inputWrite, queue->front(), queue->size());
    if (n < 0) {
      queue->Clear();
      return;
    }
    if (n == 0) return;
    queue->Consume(static_cast<size_t>(n));
  }
}

}  // namespace pipewell
