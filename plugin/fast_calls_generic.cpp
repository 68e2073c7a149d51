#include "fast_calls.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pipewell {

bool OpenCloexecPipe(int fds[2]) {
  // Not atomic with a fork on another thread; the host's main thread is the
  // only one that starts children here.
  if (pipe(fds) != 0) return false;
  if (fcntl(fds[0], F_SETFD, FD_CLOEXEC) == 0 &&
      fcntl(fds[1], F_SETFD, FD_CLOEXEC) == 0) {
    return true;
  }
  close(fds[0]);
  close(fds[1]);
  return false;
}

void EnlargePipe(int, int) {}

void* RemapPages(void*, size_t, size_t) { return nullptr; }

void ReleasePages(void* block, size_t size) {
  if (block == nullptr || size == 0) return;
  posix_madvise(block, size, POSIX_MADV_DONTNEED);
}

}  // namespace pipewell
