#ifndef PIPEWELL_TESTS_FAKE_OS_PROCESS_H_
#define PIPEWELL_TESTS_FAKE_OS_PROCESS_H_

#include <cstdint>
#include <map>
#include <string>

#include "os_process.h"

// A scripted stand-in for the OS seam, so the runner's logic can be driven
// without processes: one child at a time, a tick clock that moves only when
// the runner waits, and a timer list that is only recorded.

namespace fakeos {

// The handles the fake child gets.
constexpr pipewell::OsHandle kProcess = 100;
constexpr pipewell::OsHandle kOutput = 101;
constexpr pipewell::OsHandle kInput = 102;

struct Script {
  bool createFails = false;
  bool statusUnreadable = false;
  // Exit once the clock has moved this many ms past the start and every
  // byte of `writes` is in the pipe; -1 never.
  long exitAfterMs = -1;
  int32_t exitCode = 0;
  // Bytes the child writes, `writesPerPass` of them at each status check
  // (one per pass of a wait) while the pipe has room for them.
  std::string writes;
  size_t writesPerPass = 4096;
  size_t pipeCapacity = 65536;
  // Room in the child's input pipe at the start; ChildReads makes more.
  size_t inputRoom = 65536;
  bool inputGone = false;  // the child's input has no reader
  bool timerFails = false;  // OsStartTimer refuses
  // Something the child started that outlives it and keeps writing: once
  // the child has exited (or from the start, with writesForever), every read
  // finds the pipe full.
  bool writerLeftBehind = false;
  bool writesForever = false;
  uint32_t readCostMs = 0;  // the clock moves this much at each read
};

struct World {
  Script script;
  uint32_t now = 0;            // the tick count
  uint32_t startedAt = 0;      // tick count when the child was created
  std::string commandLine;     // what the runner asked to start
  std::string readable;        // waiting in the output pipe
  size_t written = 0;          // bytes of script.writes made readable
  bool exited = false;
  bool terminated = false;
  std::string input;           // what reached the child's stdin pipe
  size_t inputRoom = 0;        // what that pipe takes now
  int nonBlocking = 0;         // OsSetNonBlocking calls on the input end
  int waits = 0;               // OsWaitOnPipe calls
  long reads = 0;              // OsReadPipe calls
  uint32_t exitedAt = 0;       // tick count when the exit was first seen
  bool waitedFor = false;      // OsWaitForExit ran after the end
  std::map<pipewell::OsHandle, bool> open;  // handle -> still open
  std::map<uintptr_t, uint32_t> timers;     // id -> period
};

// The world of the current test; Reset starts a fresh one.
World& TheWorld();
void Reset(const Script& script, uint32_t now = 0);

// Makes `bytes` readable at once, as a child writing them would.
void ChildWrites(const std::string& bytes);

// The child takes `n` bytes out of its input pipe, making room for as many.
void ChildReads(size_t n);

// Handles the runner opened and has not closed.
int OpenHandles();

// Makes the output buffer's memory refuse to grow past `bytes` (the fake
// memory behind OutputBuffer, fake_output_memory.cpp); SIZE_MAX lifts it.
void SetMemoryLimit(size_t bytes);

}  // namespace fakeos

#endif  // PIPEWELL_TESTS_FAKE_OS_PROCESS_H_
