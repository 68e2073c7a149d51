#include "console_io.h"

#include <errno.h>
#include <poll.h>
#include <unistd.h>

namespace pipewell_run {

bool WaitForInput(int ms) {
  struct pollfd p = {STDIN_FILENO, POLLIN, 0};
  int r;
  do {
    r = poll(&p, 1, ms);
  } while (r < 0 && errno == EINTR);
  // POLLHUP and POLLNVAL count too: the read then reports the end.
  return r > 0 && p.revents != 0;
}

long ReadInput(char* buffer, size_t size) {
  ssize_t n;
  do {
    n = read(STDIN_FILENO, buffer, size);
  } while (n < 0 && errno == EINTR);
  return static_cast<long>(n);
}

// POSIX streams never change the bytes written.
void WriteStdoutAsBytes() {}

}  // namespace pipewell_run
