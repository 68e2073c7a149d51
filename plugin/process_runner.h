#ifndef PIPEWELL_PROCESS_RUNNER_H_
#define PIPEWELL_PROCESS_RUNNER_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "input_queue.h"
#include "os_process.h"
#include "output_buffer.h"

// The process work beneath `Shell`: one child interpreter per record, its
// output collected synchronously or watched by a 100 ms timer. The runner
// knows nothing of the host: it owns only the child's handles (a
// ChildHandles record the caller keeps) and reports what happened; the
// caller turns that into properties and events. Main thread only.

namespace pipewell {

// Outcome values for ErrorCode besides exit codes.
constexpr int32_t kOutcomeNoShell = -1;
constexpr int32_t kOutcomeTimedOut = -2;
constexpr int32_t kOutcomeTooLarge = -3;

// The longest output a wait collects unless told otherwise: the longest
// string the host can hold, its length being a signed 32-bit count.
constexpr size_t kHostStringLimit = 2147483647;

enum class RunStatus {
  kNoShell,   // no child could be started
  kTimedOut,  // the time limit ended the child
  kLost,      // the child's status could not be read; nothing collected
  kExited,    // the waited-for child exited; `output` holds what it wrote
  kTooLarge,  // the waited-for child exited having written over the limit
  kWatching,  // an asynchronous child is attached and its timer runs
};

struct RunResult {
  RunStatus status = RunStatus::kNoShell;
  int32_t outcome = kOutcomeNoShell;  // exit code, kOutcome*, 0 watching
  OutputBuffer output;                // what the child wrote, for kExited
};

// How RunCommand treats the child once started.
struct RunOptions {
  bool wait = true;       // wait for it (else watch it with the timer)
  int32_t timeOutMs = 2000;  // wait limit, compared unsigned; -1 none
  // wait: the most output collected; the rest is read and thrown away, so
  // the child is never held up, and the run ends as kTooLarge at its exit.
  // Lowered to what was collected when the buffer cannot grow.
  size_t outputLimit = kHostStringLimit;
  uintptr_t timerId = 0;  // watch: the timer's id, handed back to `tick`
  TimerProc tick = nullptr;  // watch: runs every 100 ms for `timerId`
};

// Starts the interpreter on `commandLine` into the empty record `child`.
// Waiting: collects the whole output until the child exits or the time
// limit ends it (which wins over an output beyond outputLimit), then
// detaches. Once the child has exited, what is left in the pipe is read for
// at most 1 s and never past the limit, so a process the child left behind
// writing on cannot hold the wait; the limit itself is overrun by at most
// one read of 1 MB and a wait of 1 ms. Output the buffer has no memory for
// counts as output beyond outputLimit. Watching: leaves the child attached
// and starts the timer; when the timer cannot be started the child is
// ended, waited for and detached, and the run is kNoShell. On any failure
// `child` stays empty.
RunResult RunCommand(ChildHandles* child, const std::string& commandLine,
                     const RunOptions& options);

// Stops the timer `timerId` and closes the four handles, leaving `child`
// empty; the child process keeps running.
void DetachChild(ChildHandles* child, uintptr_t timerId);

// Whether unread output waits in the pipe now.
bool OutputWaiting(const ChildHandles& child);

// True with the exit code in `code` once the attached child has exited.
bool ChildExited(const ChildHandles& child, int32_t* code);

// Appends the output waiting at this moment to `bytes`; false when none
// waits or no child is attached. Never waits.
bool ReadWaiting(const ChildHandles& child, std::string* bytes);

// Sends `size` bytes to the child's standard input behind those waiting in
// `queue`, without waiting: what the pipe does not take now joins `queue`.
// Nothing is sent or queued without a child; a child whose input has gone
// away gets nothing more, and `queue` is emptied.
void WriteToChild(const ChildHandles& child, InputQueue* queue,
                  const char* bytes, size_t size);

// Sends what the pipe takes now of the bytes waiting in `queue`, on the same
// terms as WriteToChild.
void SendQueued(const ChildHandles& child, InputQueue* queue);

}  // namespace pipewell

#endif  // PIPEWELL_PROCESS_RUNNER_H_
