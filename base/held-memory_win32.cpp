#include "held-memory.h"

#include <windows.h>

void* AllocateHeld(size_t iBytes) {
  return VirtualAlloc(nullptr, iBytes, MEM_RESERVE | MEM_COMMIT,
                      PAGE_READWRITE);
}

void FreeHeld(void* p, size_t /*iBytes*/) {
  if (p != nullptr) VirtualFree(p, 0, MEM_RELEASE);
}
