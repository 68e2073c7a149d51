#include "held-memory.h"

#include <sys/mman.h>

void* AllocateHeld(size_t iBytes) {
  int flags = MAP_PRIVATE | MAP_ANONYMOUS;
#ifdef MAP_POPULATE
  // Linux: the pages come mapped and zeroed in one call, not a fault each.
  flags |= MAP_POPULATE;
#endif
  void* p = mmap(nullptr, iBytes, PROT_READ | PROT_WRITE, flags, -1, 0);
  return p == MAP_FAILED ? nullptr : p;
}

void FreeHeld(void* p, size_t iBytes) {
  if (p != nullptr) munmap(p, iBytes);
}
