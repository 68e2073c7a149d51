#ifndef PIPEWELL_OS_PROCESS_H_
#define PIPEWELL_OS_PROCESS_H_

#include <cstddef>
#include <cstdint>
#include <string>

// The operating-system seam beneath the process runner: processes, pipes,
// time and timers, nothing more. The runner's logic is written once over
// these calls; each platform fills them in its own file
// (os_process_<platform>.cpp). Handles are pointer-sized words so that
// both descriptors and kernel object handles fit; 0 always means "none".

namespace pipewell {

using OsHandle = uintptr_t;

// The four handles of a started child; the runner keeps them as its whole
// record of the attached child (all 0 when none is attached).
struct ChildHandles {
  OsHandle process = 0;     // what the PID property shows
  OsHandle thread = 0;      // primary thread where the platform has one
  OsHandle outputRead = 0;  // our end of the child's stdout+stderr pipe
  OsHandle inputWrite = 0;  // our end of the child's stdin pipe
};

// Builds the interpreter command line for `command` followed, when
// `parameters` is not null, by its parameters. `command` may be null and
// then counts as empty. The line is never cut.
std::string OsComposeCommandLine(const char* command, const char* parameters);

// Starts the interpreter on `commandLine` with stdin from a fresh pipe and
// stdout and stderr together into another. On success fills `out` and
// returns true; our pipe ends are not inherited by later children. On
// failure returns false and leaves nothing open.
bool OsCreateChild(const std::string& commandLine, ChildHandles* out);

enum class ExitState { kUnreadable, kRunning, kExited };

// Status of a child started by OsCreateChild and not yet closed. Asking
// again after the child has exited gives the same exit code. A child ended
// by a signal reports 128 plus the signal number.
struct ExitStatus {
  ExitState state;
  int32_t code;  // meaningful for kExited only
};
ExitStatus OsExitStatus(OsHandle process);

// Ends the child and everything it started, without waiting for it.
void OsTerminate(OsHandle process);

// Waits until the child has exited (after OsTerminate: a moment), so that
// its status is final; keeps the handle open.
void OsWaitForExit(OsHandle process);

// Releases our hold on the child without ending it. Children released
// before they exit are reaped later by the library, never left behind.
void OsCloseProcess(OsHandle process);
void OsCloseThread(OsHandle thread);
void OsClosePipe(OsHandle pipe);

// Makes reads from `pipe` return at once when it is empty, and writes to it
// return at once when it is full. The runner applies it to the output read
// end before a synchronous wait and to the input write end of every child
// right after OsCreateChild, so OsCreateChild need not do either.
void OsSetNonBlocking(OsHandle pipe);

// Stores in `available` the bytes waiting in `pipe`; false on failure.
bool OsPeekPipe(OsHandle pipe, uint32_t* available);

// Reads up to `size` bytes. Returns the count read, 0 when nothing was
// waiting (non-blocking pipe) or the writers are gone, -1 on failure.
long OsReadPipe(OsHandle pipe, void* buffer, size_t size);

// Writes what the pipe accepts at once, without waiting (the pipe was made
// non-blocking with OsSetNonBlocking). Returns the count written (0 when the
// pipe is full), or -1 when the reader has gone away or the write failed.
// A reader gone away must not signal or end the host process.
long OsWriteSome(OsHandle pipe, const void* bytes, size_t size);

// Milliseconds from an arbitrary origin, wrapping at 2^32.
uint32_t OsTickCount();

// Waits until `pipe` has bytes to read or about `ms` milliseconds passed.
void OsWaitOnPipe(OsHandle pipe, int ms);

// Periodic timers keyed by `id` (an instance address). Starting a timer that
// exists restarts it. `proc` runs from the host's event dispatch.
using TimerProc = void (*)(uintptr_t id);
bool OsStartTimer(uintptr_t id, uint32_t periodMs, TimerProc proc);
void OsStopTimer(uintptr_t id);

// Runs the timers that are due and reaps released children. Returns the ms
// until the next timer is due, or -1 when no timer is set. Platforms whose
// own message loop dispatches timers only reap and return -1.
int OsDispatchTimers();

}  // namespace pipewell

#endif  // PIPEWELL_OS_PROCESS_H_
