// Held memory where the system has no huge pages for it (the build picks
// held-memory_linux.cpp where it has): whole pages straight from the system,
// one call to take them and one to give them back.
#include "held-memory.h"

#ifdef _WIN32
#include <windows.h>

void* AllocateHeld(size_t iBytes) {
  return VirtualAlloc(nullptr, iBytes, MEM_RESERVE | MEM_COMMIT,
                      PAGE_READWRITE);
}

void FreeHeld(void* p, size_t /*iBytes*/) {
  if (p != nullptr) VirtualFree(p, 0, MEM_RELEASE);
}
#else
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
#endif
