// A stand-in for the store's file-call seam (file-faults.h) that fails the
// calls a test picks: the Nth file call from now, or every append write
// beyond a byte budget, as a disk that fills up.
#ifndef FLORRIN_TESTS_SMDB_FAILING_FILE_CALLS_H_
#define FLORRIN_TESTS_SMDB_FAILING_FILE_CALLS_H_

#include <cstdint>
#include <string>

#include "file-faults.h"

// Makes the `n`th file call from now fail (1: the very next one); 0 makes
// none fail. Resets the count and forgets an earlier failure.
void FailFileCallNumber(int64_t n);

// True when the call chosen by FailFileCallNumber has come and failed.
bool FileCallFailed();

// The kind of the call that failed, as a word ("open", "read", ...), or
// "none" while none has.
std::string FailedFileCall();

// From now on each append writes at most `iBytes` bytes in all and then
// fails as on a full disk. A negative value ends that.
void FailAppendsAfterForTest(int64_t iBytes);

#endif  // FLORRIN_TESTS_SMDB_FAILING_FILE_CALLS_H_
