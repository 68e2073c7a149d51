// Memory for the large blocks a listing fills once: output held back until
// a command knows it succeeded, names kept to be sorted.
//
// A listing of a large catalogue holds megabytes; memory touched for the
// first time costs one page fault a page, and those faults cost more than
// the scan that fills the memory. Where the system can, blocks of a
// megabyte and more come in huge pages (held-memory_linux.cpp), and smaller
// ones are faulted in by the allocation itself, all at once.
#ifndef FLORRIN_BASE_HELD_MEMORY_H_
#define FLORRIN_BASE_HELD_MEMORY_H_

#include <cstddef>

// `iBytes` bytes (1 or more) of writable memory, or null when there is none.
// May take more of the system's memory than asked (up to a whole huge page).
void* AllocateHeld(size_t iBytes);

// Gives back memory from AllocateHeld of the same size. Null is ignored.
void FreeHeld(void* p, size_t iBytes);

#endif  // FLORRIN_BASE_HELD_MEMORY_H_
