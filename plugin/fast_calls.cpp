// Each call below differs by one system call: the faster Linux one where the
// build's feature test found all of them (PIPEWELL_FAST_CALLS), the portable
// POSIX one elsewhere.
#include "fast_calls.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pipewell {

bool OpenCloexecPipe(int fds[2]) {
#if PIPEWELL_FAST_CALLS
  return pipe2(fds, O_CLOEXEC) == 0;
#else
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
#endif
}

#if PIPEWELL_FAST_CALLS
void EnlargePipe(int fd, int bytes) { fcntl(fd, F_SETPIPE_SZ, bytes); }
#else
void EnlargePipe(int, int) {}
#endif

void* RemapPages(void* block, size_t oldSize, size_t newSize) {
#if PIPEWELL_FAST_CALLS
  // Moves the page tables, not the bytes.
  void* grown = mremap(block, oldSize, newSize, MREMAP_MAYMOVE);
  return grown == MAP_FAILED ? nullptr : grown;
#else
  (void)block, (void)oldSize, (void)newSize;
  return nullptr;
#endif
}

void ReleasePages(void* block, size_t size) {
  if (block == nullptr || size == 0) return;
#if PIPEWELL_FAST_CALLS
  // MADV_FREE keeps the pages until memory runs short; a kernel without it
  // drops them now, which is still correct, only slower to reuse.
  if (madvise(block, size, MADV_FREE) != 0) madvise(block, size, MADV_DONTNEED);
#else
  posix_madvise(block, size, POSIX_MADV_DONTNEED);
#endif
}

}  // namespace pipewell
