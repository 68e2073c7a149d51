// Searching a stretch of memory backwards for a byte.
//
// The filter looks for the header line of a matching field line backwards
// from it, a few hundred bytes each time: with memrchr where the C library
// has it, whose wide compares make that search cheap, and a plain loop
// everywhere else.
#ifndef FLORRIN_SMDB_LAST_BYTE_H_
#define FLORRIN_SMDB_LAST_BYTE_H_

#include <cstddef>

// The last of the `n` bytes from `p` that equals `c`, or null.
const char* FindLastByte(const char* p, char c, size_t n);

#endif  // FLORRIN_SMDB_LAST_BYTE_H_
