// A stand-in for the global operator new and delete that a test can make
// fail: the Nth allocation from now, or every allocation that would take the
// memory in use past a byte budget, as a system that runs out of memory. It
// also keeps the peak of the memory in use, so a test can hold code to a
// memory bound without any resource limit of the system (which a sanitizer
// build or Wine would not honour alike).
//
// Linking failing_allocations.cpp into a test program replaces operator new
// and delete in all their forms for the whole program. While nothing is
// armed every allocation succeeds, so the rest of a test program runs as
// usual. The counts are kept for every thread, but a test arms them around
// code that runs on its own thread.
#ifndef FLORRIN_TESTS_SUPPORT_FAILING_ALLOCATIONS_H_
#define FLORRIN_TESTS_SUPPORT_FAILING_ALLOCATIONS_H_

#include <cstdint>

// Makes the `n`th allocation from now fail (1: the very next one); 0 makes
// none fail. Resets the count and forgets an earlier failure.
void FailAllocationNumber(int64_t n);

// From now on an allocation fails when it would take the bytes allocated
// since this call and still in use past `iBytes`; a negative value ends
// that. Forgets an earlier failure.
void FailAllocationsBeyond(int64_t iBytes);

// True when an allocation was made to fail since the last arming call.
bool AllocationFailed();

// Starts a measurement: from now on PeakAllocation tells the most bytes in
// use at once, counted from what was in use at this call.
void StartAllocationPeak();

// The most bytes allocated and in use at once since StartAllocationPeak,
// beyond what was in use then (0 or more).
int64_t PeakAllocation();

// Ends every failure this file makes; the counts go on.
void StopFailingAllocations();

#endif  // FLORRIN_TESTS_SUPPORT_FAILING_ALLOCATIONS_H_
