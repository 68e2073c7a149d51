#ifndef RBHOST_RBHOST_INTERNAL_H_
#define RBHOST_RBHOST_INTERNAL_H_

#include <cstddef>
#include <cstdint>

#include "rbhost.h"

// Pieces shared between the stand-in's source files.

namespace rbhost {

// "PluginRegisterClass": keeps the record, writes its system word and the
// system word of each event entry.
void EntryRegisterClass(uintptr_t* record);

// "GetEventInstance": the handler installed for the event, or nil.
void* EntryGetEventInstance(void* instance, uintptr_t eventWord);

// Forgets every registered class and installed handler.
void ResetClasses();

// Version "REALGetRBVersion" reports now.
double CurrentVersion();

// Zeroed memory of `size` bytes on pages of its own, or nullptr.
void* AllocateGuarded(size_t size);

// Makes the pages of a block from AllocateGuarded inaccessible for the rest
// of the process; the address range is never reused.
void RetireGuarded(void* block, size_t size);

}  // namespace rbhost

#endif  // RBHOST_RBHOST_INTERNAL_H_
