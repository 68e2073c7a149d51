#include "fast_calls.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace pipewell {

bool OpenCloexecPipe(int fds[2]) { return pipe2(fds, O_CLOEXEC) == 0; }

void EnlargePipe(int fd, int bytes) { fcntl(fd, F_SETPIPE_SZ, bytes); }

void* RemapPages(void* block, size_t oldSize, size_t newSize) {
  // Moves the page tables, not the bytes.
  void* grown = mremap(block, oldSize, newSize, MREMAP_MAYMOVE);
  return grown == MAP_FAILED ? nullptr : grown;
}

void ReleasePages(void* block, size_t size) {
  if (block == nullptr || size == 0) return;
  // MADV_FREE keeps the pages until memory runs short; a kernel without it
  // drops them now, which is still correct, only slower to reuse.
  if (madvise(block, size, MADV_FREE) != 0) madvise(block, size, MADV_DONTNEED);
}

}  // namespace pipewell
