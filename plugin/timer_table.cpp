#include "timer_table.h"

#include <map>
#include <vector>

namespace pipewell {
namespace {

struct Timer {
  uint32_t due;
  uint32_t period;
  TimerTableProc proc;
};

std::map<uintptr_t, Timer>& Table() {
  static auto* table = new std::map<uintptr_t, Timer>();
  return *table;
}

// True when `due` is at or before `now`, wrap-around included.
bool IsDue(uint32_t due, uint32_t now) {
  return static_cast<int32_t>(now - due) >= 0;
}

}  // namespace

void TimerTableSet(uintptr_t id, uint32_t periodMs, TimerTableProc proc,
                   uint32_t now) {
  Table()[id] = Timer{now + periodMs, periodMs, proc};
}

void TimerTableRemove(uintptr_t id) { Table().erase(id); }

int TimerTableSize() { return static_cast<int>(Table().size()); }

void TimerTableDispatch(uint32_t now) {
  // Procs may set or remove timers (their own or others'), so work from a
  // snapshot of the due ids and look each one up again before running it.
  std::vector<uintptr_t> due;
  for (const auto& entry : Table()) {
    if (IsDue(entry.second.due, now)) due.push_back(entry.first);
  }
  for (uintptr_t id : due) {
    auto it = Table().find(id);
    if (it == Table().end() || !IsDue(it->second.due, now)) continue;
    it->second.due = now + it->second.period;
    TimerTableProc proc = it->second.proc;
    proc(id);
  }
}

int TimerTableNextWait(uint32_t now) {
  int wait = -1;
  for (const auto& entry : Table()) {
    int32_t left = static_cast<int32_t>(entry.second.due - now);
    if (left < 0) left = 0;
    if (wait < 0 || left < wait) wait = left;
  }
  return wait;
}

}  // namespace pipewell
