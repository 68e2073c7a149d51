#include "process_runner.h"

#include <algorithm>
#include <utility>

namespace pipewell {
namespace {

constexpr uint32_t kTimerPeriodMs = 100;

// A wait looks at the child's status and the clock at least this often,
// however fast the output comes.
constexpr uint32_t kDrainSliceMs = 50;

// Once the child has exited, what is left in the pipe is collected for at
// most this long: a process the child left behind may write on for ever.
constexpr uint32_t kAfterExitMs = 1000;

// The most one read asks for, so that the clock is looked at between reads
// even where a read goes on until it has all it asked for.
constexpr size_t kMostPerRead = 1 << 20;

// What a wait has collected, and how much of it it keeps.
struct Collected {
  OutputBuffer* buffer;
  size_t limit;           // bytes kept at most; lowered when memory runs out
  bool overflow = false;  // bytes beyond `limit` were read and thrown away
};

// Reads what waits in the pipe into the buffer, up to the limit; bytes
// beyond it are read and thrown away. Stops at the first read that does not
// fill what it asked for (the pipe is then empty), or when `budgetMs` have
// passed since the call, after at least one read.
void Drain(OsHandle pipe, Collected* c, uint32_t budgetMs) {
  char discard[64 * 1024];
  const uint32_t start = OsTickCount();
  for (;;) {
    // A buffer that cannot grow keeps what it has, as if the limit were
    // reached: the child must not be left blocked on a full pipe.
    if (c->buffer->length() < c->limit && !c->buffer->Reserve()) {
      c->limit = c->buffer->length();
    }
    char* into = discard;
    size_t want = sizeof discard;
    const bool collecting = c->buffer->length() < c->limit;
    if (collecting) {
      into = c->buffer->free_part();
      want = std::min({c->buffer->free_size(), c->limit - c->buffer->length(),
                       kMostPerRead});
    }
    long n = OsReadPipe(pipe, into, want);
    if (n <= 0) return;
    if (collecting) {
      c->buffer->Grow(static_cast<size_t>(n));
    } else {
      c->overflow = true;
    }
    if (static_cast<size_t>(n) < want) return;
    if (OsTickCount() - start >= budgetMs) return;
  }
}

// Milliseconds left before the limit, 0 once it is reached.
uint32_t LeftOf(uint32_t start, int32_t timeOutMs) {
  const uint32_t elapsed = OsTickCount() - start;
  const uint32_t limit = static_cast<uint32_t>(timeOutMs);
  return elapsed >= limit ? 0 : limit - elapsed;
}

// Draining each pass until a short read, into one buffer that grows
// geometrically, keeps a large output within a small factor of a plain
// pipe (figures in the README's Benchmarks). The clock bounds every pass,
// so the limit, or 1 s after the exit, ends the wait even when the pipe
// never runs dry.
RunResult WaitForChild(ChildHandles* child, int32_t timeOutMs,
                       size_t outputLimit) {
  RunResult result;
  Collected collected{&result.output, outputLimit};
  const bool limited = timeOutMs != -1;
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
    if (status.state == ExitState::kExited) {
      uint32_t budget = kAfterExitMs;
      if (limited) budget = std::min(budget, LeftOf(start, timeOutMs));
      Drain(child->outputRead, &collected, budget);
      result.status =
          collected.overflow ? RunStatus::kTooLarge : RunStatus::kExited;
      result.outcome = collected.overflow ? kOutcomeTooLarge : status.code;
      break;
    }
    uint32_t budget = kDrainSliceMs;
    if (limited) budget = std::min(budget, LeftOf(start, timeOutMs));
    Drain(child->outputRead, &collected, budget);
    OsWaitOnPipe(child->outputRead, 1);
    if (!limited || LeftOf(start, timeOutMs) > 0) continue;
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
  if (!OsStartTimer(options.timerId, kTimerPeriodMs, options.tick)) {
    // Unwatched, the child would run on with no one to see it end: a
    // failed start, with nothing of it left behind.
    OsTerminate(child->process);
    OsWaitForExit(child->process);
    DetachChild(child, 0);
    return RunResult();
  }
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
