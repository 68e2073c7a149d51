#ifndef PIPEWELL_SHELL_METHODS_H_
#define PIPEWELL_SHELL_METHODS_H_

#include <cstdint>

#include "host_api.h"

// The plug-in functions behind `Shell`, in the shapes the host calls them.
// None lets an exception escape. This layer is the one writer of the
// properties the host sees (Result, ErrorCode, IsRunning) and raises the
// events; the process runner beneath it only reports.

namespace pipewell {

// Event system words, written by the host at registration; passed back to
// "GetEventInstance" when an event is raised.
extern uintptr_t g_dataAvailableEvent;
extern uintptr_t g_completedEvent;

// ErrorCode 0, TimeOut 2000, Mode 0, not running, Result nil, no handles.
void ShellConstructor(void* instance);

// Detaches from any child (which keeps running) and releases Result.
void ShellDestructor(void* instance);

// Result with one reference added for the caller, who drops it when done.
HostString ShellResultGetter(void* instance, intptr_t parameter);

// Stores `value` only when it is 0, 1 or 2 and no child is being watched.
void ShellModeSetter(void* instance, intptr_t parameter, int32_t value);

// Execute(command) and Execute(command, parameters): clear Result, detach
// from any child, run the command; the outcome lands in ErrorCode. A
// synchronous output longer than a host string can hold, or than memory
// can keep, is not handed back: ErrorCode -3, Result "Shell output too
// large". Called inside Completed, it starts a run that is watched like any
// other.
void ShellExecute(void* instance, HostString command);
void ShellExecuteWithParameters(void* instance, HostString command,
                                HostString parameters);

// ReadAll() as String: the output waiting now, nil (empty) when none.
HostString ShellReadAll(void* instance);

// Write(s) and WriteLine(s): the bytes of s, then CR LF for WriteLine, to
// the attached child's input. Never waits: what the pipe does not take at
// once is queued in the instance, in order, and moved on by every tick, Poll
// and later Write; Close, a new Execute, the child's exit and destruction
// drop what is left. Nothing is reported; without a child nothing is sent.
void ShellWrite(void* instance, HostString s);
void ShellWriteLine(void* instance, HostString s);

// Close: detach from the child, which keeps running; queued input is
// dropped.
void ShellClose(void* instance);

// Poll: one timer tick's work at once, ignoring the tick-busy flag: queued
// input moved on, DataAvailable, then Completed. A handler may free the
// instance; nothing touches it after that.
void ShellPoll(void* instance);

}  // namespace pipewell

#endif  // PIPEWELL_SHELL_METHODS_H_
