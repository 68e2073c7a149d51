#ifndef PIPEWELL_TIMER_TABLE_H_
#define PIPEWELL_TIMER_TABLE_H_

#include <cstdint>

// A process-wide table of periodic timers keyed by id, for platforms with no
// window timer: the host's event loop drives it through
// PipewellDispatchTimers. Main thread only.

namespace pipewell {

using TimerTableProc = void (*)(uintptr_t id);

// Sets (or restarts) the timer `id`, first due `periodMs` after `now`.
void TimerTableSet(uintptr_t id, uint32_t periodMs, TimerTableProc proc,
                   uint32_t now);

// Removes the timer `id`; unknown ids are ignored.
void TimerTableRemove(uintptr_t id);

// Runs every timer due at `now` once, re-arming each one period later
// before it runs; timers set or removed by a running proc take effect at
// once.
void TimerTableDispatch(uint32_t now);

// Milliseconds from `now` until the next timer is due (0 when one is
// overdue), or -1 when no timer is set.
int TimerTableNextWait(uint32_t now);

// Number of timers set.
int TimerTableSize();

}  // namespace pipewell

#endif  // PIPEWELL_TIMER_TABLE_H_
