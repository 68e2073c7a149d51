// pipewell-run's own standard input, read without stalling its event loop.
#ifndef PIPEWELL_RUN_CONSOLE_IO_H_
#define PIPEWELL_RUN_CONSOLE_IO_H_

#include <cstddef>

namespace pipewell_run {

// Waits up to `ms` milliseconds for standard input to have bytes or reach
// its end. True when ReadInput would not block.
bool WaitForInput(int ms);

// Reads up to `size` bytes of what waits on standard input. Returns the
// count, 0 at the end of the input, -1 when it cannot be read (which the
// caller treats as the end).
long ReadInput(char* buffer, size_t size);

// Pauses about `ms` milliseconds.
void SleepMs(int ms);

}  // namespace pipewell_run

#endif  // PIPEWELL_RUN_CONSOLE_IO_H_
