#include "fake_os_process.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

namespace fakeos {

World& TheWorld() {
  static World world;
  return world;
}

void Reset(const Script& script, uint32_t now) {
  TheWorld() = World();
  TheWorld().script = script;
  TheWorld().now = now;
  TheWorld().inputRoom = script.inputRoom;
  SetMemoryLimit(SIZE_MAX);
}

void ChildWrites(const std::string& bytes) { TheWorld().readable += bytes; }

void ChildReads(size_t n) { TheWorld().inputRoom += n; }

int OpenHandles() {
  int count = 0;
  for (const auto& h : TheWorld().open) count += h.second ? 1 : 0;
  return count;
}

namespace {

// The child's progress up to the current tick: what it wrote, and its exit.
void Advance() {
  World& w = TheWorld();
  const Script& s = w.script;
  size_t room = s.pipeCapacity - std::min(s.pipeCapacity, w.readable.size());
  size_t more = std::min({s.writesPerPass, s.writes.size() - w.written, room});
  w.readable += s.writes.substr(w.written, more);
  w.written += more;
  if (!w.exited && !w.terminated && s.exitAfterMs >= 0 &&
      w.written == s.writes.size() &&
      w.now - w.startedAt >= static_cast<uint32_t>(s.exitAfterMs)) {
    w.exited = true;
    w.exitedAt = w.now;
  }
}

}  // namespace
}  // namespace fakeos

namespace pipewell {

using fakeos::TheWorld;

bool OsCreateChild(const std::string& commandLine, ChildHandles* out) {
  auto& w = TheWorld();
  w.commandLine = commandLine;
  if (w.script.createFails) return false;
  w.startedAt = w.now;
  w.open[fakeos::kProcess] = true;
  w.open[fakeos::kOutput] = true;
  w.open[fakeos::kInput] = true;
  out->process = fakeos::kProcess;
  out->thread = 0;
  out->outputRead = fakeos::kOutput;
  out->inputWrite = fakeos::kInput;
  return true;
}

ExitStatus OsExitStatus(OsHandle process) {
  auto& w = TheWorld();
  if (w.script.statusUnreadable || process != fakeos::kProcess) {
    return {ExitState::kUnreadable, 0};
  }
  fakeos::Advance();
  if (w.terminated) return {ExitState::kExited, 137};
  if (w.exited) return {ExitState::kExited, w.script.exitCode};
  return {ExitState::kRunning, 0};
}

void OsTerminate(OsHandle) { TheWorld().terminated = true; }

void OsWaitForExit(OsHandle) {
  auto& w = TheWorld();
  w.waitedFor = w.exited || w.terminated;
}

void OsCloseProcess(OsHandle process) { TheWorld().open[process] = false; }
void OsCloseThread(OsHandle thread) { TheWorld().open[thread] = false; }
void OsClosePipe(OsHandle pipe) { TheWorld().open[pipe] = false; }
void OsSetNonBlocking(OsHandle pipe) {
  if (pipe == fakeos::kInput) TheWorld().nonBlocking++;
}

bool OsPeekPipe(OsHandle pipe, uint32_t* available) {
  if (pipe != fakeos::kOutput) return false;
  *available = static_cast<uint32_t>(TheWorld().readable.size());
  return true;
}

long OsReadPipe(OsHandle pipe, void* buffer, size_t size) {
  // A runner that never stops reading fails its test instead of hanging it.
  constexpr long kMostReads = 20000;
  auto& w = TheWorld();
  if (pipe != fakeos::kOutput || !w.open[pipe] || ++w.reads > kMostReads) {
    return -1;
  }
  w.now += w.script.readCostMs;
  if (w.script.writesForever || (w.script.writerLeftBehind && w.exited)) {
    w.readable.resize(std::max(w.readable.size(), w.script.pipeCapacity), 'z');
  }
  size_t n = std::min(size, w.readable.size());
  std::memcpy(buffer, w.readable.data(), n);
  w.readable.erase(0, n);
  return static_cast<long>(n);
}

long OsWriteSome(OsHandle pipe, const void* bytes, size_t size) {
  auto& w = TheWorld();
  if (pipe != fakeos::kInput || !w.open[pipe] || w.script.inputGone) return -1;
  size_t n = std::min(size, w.inputRoom);
  w.input.append(static_cast<const char*>(bytes), n);
  w.inputRoom -= n;
  return static_cast<long>(n);
}

uint32_t OsTickCount() { return TheWorld().now; }

void OsWaitOnPipe(OsHandle, int ms) {
  TheWorld().waits++;
  TheWorld().now += static_cast<uint32_t>(ms);
}

bool OsStartTimer(uintptr_t id, uint32_t periodMs, TimerProc) {
  if (TheWorld().script.timerFails) return false;
  TheWorld().timers[id] = periodMs;
  return true;
}

void OsStopTimer(uintptr_t id) { TheWorld().timers.erase(id); }

}  // namespace pipewell
