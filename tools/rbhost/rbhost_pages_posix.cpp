// Guarded instance memory on POSIX: anonymous mappings, retired with
// PROT_NONE rather than unmapped so the range cannot be handed out again.
#include "rbhost_internal.h"

#include <sys/mman.h>

namespace rbhost {

void* AllocateGuarded(size_t size) {
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

void RetireGuarded(void* block, size_t size) {
  if (block == nullptr) return;
  // Drop the contents first, so a retired instance costs address space only.
  madvise(block, size, MADV_DONTNEED);
  mprotect(block, size, PROT_NONE);
}

}  // namespace rbhost
