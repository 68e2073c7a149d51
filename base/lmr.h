// The string toolkit that every parser in Florrin is written with.
//
// The bounds rules are deliberate and callers depend on them: a count that is
// out of range (including a negative one, which is compared as unsigned and so
// is larger than any size) yields the whole text, and a search that finds
// nothing yields -1. A length computed from a failed search is therefore
// "the whole text", never a crash.
#ifndef FLORRIN_BASE_LMR_H_
#define FLORRIN_BASE_LMR_H_

#include <string>
#include <string_view>

// Florrin's text type: a growable byte string. Positions are 0-based byte
// indices held in int.
typedef std::string sString;

// The first `length` bytes of `strText` when `length`, taken as unsigned, is
// smaller than its size; otherwise a copy of the whole text.
sString Left(std::string_view strText, int length);

// The last `length` bytes of `strText` when `length`, taken as unsigned, is
// smaller than its size; otherwise a copy of the whole text.
sString Right(std::string_view strText, int length);

// When `length`, taken as unsigned, is smaller than the size of `strText`:
// up to `length` bytes from `start`, cut short at the end of the text (empty
// when `start` lies beyond the end). Otherwise - a length equal to or larger
// than the size, or negative - a copy of the whole text, whatever `start` is.
sString Mid(std::string_view strText, int start, int length);

// The first position at or after `iAfterThis` where `strToFind` begins, or -1.
// A start that, taken as unsigned, is not smaller than the size of the text
// gives -1 (so a negative start, a start at or past the end, and an empty
// text all give -1). An empty `strToFind` is found at `iAfterThis`.
int FindInStr(std::string_view strText, std::string_view strToFind,
              int iAfterThis);

// Removes every occurrence of `strToRem` from `*strText`, left to right and
// without overlap; an occurrence that the removal brings together is removed
// too. An empty `strToRem` leaves the text unchanged.
void RemFromStr(sString* strText, std::string_view strToRem);

#endif  // FLORRIN_BASE_LMR_H_
