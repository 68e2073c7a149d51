#ifndef PIPEWELL_PROCESS_RUNNER_H_
#define PIPEWELL_PROCESS_RUNNER_H_

#include <cstdint>

#include "host_api.h"

// The process work beneath `Shell`: one child interpreter per instance,
// its output collected synchronously or watched by a 100 ms timer that
// raises the instance's events. Main thread only.

namespace pipewell {

// Outcome values stored in ErrorCode.
constexpr int32_t kOutcomeNoShell = -1;
constexpr int32_t kOutcomeTimedOut = -2;

// Event system words, written by the host at registration; the runner
// passes them to "GetEventInstance".
extern uintptr_t g_dataAvailableEvent;
extern uintptr_t g_completedEvent;

// Runs `command`, followed by a space and `parameters` when those convert to
// a non-nil string, through the command interpreter. Mode 0 waits for the
// child (or the time limit) and leaves its output in Result; other modes
// start watching it and return 0. Returns the outcome for ErrorCode: the
// exit code, kOutcomeNoShell or kOutcomeTimedOut. Neither argument is
// consumed.
int32_t RunCommand(void* instance, HostString command, HostString parameters);

// Stops watching the child and closes the four handles; the child keeps
// running. IsRunning becomes false.
void CloseChild(void* instance);

// Raises DataAvailable when unread output waits in the pipe.
void PollOutput(void* instance);

// When the child has exited: stores its code in ErrorCode, raises
// Completed, then detaches (CloseChild).
void PollExit(void* instance);

// One timer tick for the instance named by `id`; dropped while another tick
// is running anywhere in the process.
void TimerTick(uintptr_t id);

// The output waiting at this moment as a new host string (one reference
// for the caller), or nil when none waits or no child is attached. Never
// waits.
HostString ReadAvailable(void* instance);

// Sends the bytes of `s` to the child's standard input; nothing without a
// child.
void WriteInput(void* instance, HostString s);

// The kept two-byte CR LF string, built on first use.
HostString LineEnd();

}  // namespace pipewell

#endif  // PIPEWELL_PROCESS_RUNNER_H_
