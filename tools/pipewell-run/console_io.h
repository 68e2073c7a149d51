// pipewell-run's own standard streams: input read without stalling its
// event loop, output that keeps the bytes written (console_io_<platform>.cpp).
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

// Makes standard output pass every byte through unchanged, so that a
// command's output is printed exactly as the command wrote it.
void WriteStdoutAsBytes();

}  // namespace pipewell_run

#endif  // PIPEWELL_RUN_CONSOLE_IO_H_
