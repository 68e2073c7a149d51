// Counting lines. Line numbers and counts inside the store are 64-bit, since
// a catalogue may hold more than 2^31 lines; the public line interfaces of
// get-put-line.h keep their int and refuse what it cannot hold.
#ifndef FLORRIN_SMDB_LINE_COUNT_H_
#define FLORRIN_SMDB_LINE_COUNT_H_

#include <cstdint>
#include <string_view>

// `iSoFar` plus the number of "\n" bytes in `sText`.
int64_t AddLineBreaks(int64_t iSoFar, std::string_view sText);

// `iCount` as the int of the public line interfaces, or -1 when it does not
// fit in one.
int NarrowLineCount(int64_t iCount);

#endif  // FLORRIN_SMDB_LINE_COUNT_H_
