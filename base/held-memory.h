// Memory for output that is held back until a command knows it succeeded.
//
// A listing of a large catalogue holds megabytes; memory touched for the
// first time costs one page fault a page, and those faults cost more than
// the scan that fills the memory. Where the system can, the pages are
// faulted in by the allocation itself, all at once.
#ifndef FLORRIN_BASE_HELD_MEMORY_H_
#define FLORRIN_BASE_HELD_MEMORY_H_

#include <cstddef>

// `iBytes` bytes (1 or more) of writable memory, or null when there is none.
void* AllocateHeld(size_t iBytes);

// Gives back memory from AllocateHeld of the same size. Null is ignored.
void FreeHeld(void* p, size_t iBytes);

#endif  // FLORRIN_BASE_HELD_MEMORY_H_
