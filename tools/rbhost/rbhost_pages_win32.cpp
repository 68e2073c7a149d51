// Guarded instance memory on Windows: committed pages, decommitted (never
// released) on retirement so the range stays reserved and faults on use.
#include "rbhost_internal.h"

#include <windows.h>

namespace rbhost {

void* AllocateGuarded(size_t size) {
  return VirtualAlloc(nullptr, size, MEM_RESERVE | MEM_COMMIT, PAGE_READWRITE);
}

void RetireGuarded(void* block, size_t size) {
  if (block == nullptr) return;
  VirtualFree(block, size, MEM_DECOMMIT);
}

}  // namespace rbhost
