// Line-file primitives: a text file seen as numbered lines.
//
// The line model shared by every reader of the catalogue: a line ends at each
// "\n", which is not part of it, and a "\r" directly before that "\n" is not
// part of it either (a catalogue written on Windows reads the same on every
// system); the bytes after the last "\n" form one more line, the last line,
// even when there are none. So a file that ends with "\n" has an empty last
// line and an empty file is one empty line. No other byte is special: a lone
// "\r" stays part of its line, and no byte ends a file early. Lines are
// numbered from 0; the number of the last line is the count of "\n" bytes.
//
// Lines that are written end in the system's line end (line-end.h); lines a
// rewrite copies keep the line end they had. Each call opens, reads or
// writes, and closes what it works on.
#ifndef FLORRIN_SMDB_GET_PUT_LINE_H_
#define FLORRIN_SMDB_GET_PUT_LINE_H_

#include <cstdint>
#include <string_view>

#include "lmr.h"

// Removes `sFile`. Returns 1 when it was removed, 0 otherwise (also when it
// did not exist). Note: non-zero means success.
int del(const sString& sFile);

// Renames `sFile` to `sFileNew`. Returns 0 on success, non-zero otherwise
// (the platform rename's own convention). Note: zero means success.
int ren(const sString& sFile, const sString& sFileNew);

// The number of the file's last line, i.e. the count of "\n" bytes; 0 for an
// empty file; -1 when the file cannot be opened or read, or when the count
// is too large for an int.
int GetNoOfLines(const sString& sFileName);

// Line `LineNo` of the file without its "\n", or "!err GetLine!" when the
// file cannot be read or `LineNo` is negative or past the last line.
sString GetLine(const sString& sFileName, int LineNo);

// Replaces line `LineNo` of the file by `strToWrite`, rewriting the file in
// one pass through the scratch file "tempout" beside it. The old lines form
// a list (an empty last line is not part of it); the list is padded with
// empty lines to `LineNo` entries when shorter, entry `LineNo` is replaced or
// appended, and every entry is written followed by its line end: the one it
// had, or the system's line end for new entries and the old last line. A
// file that does not exist counts as empty. The scratch file is flushed to
// disk and put in place with one atomic replace, so the file is never
// missing; the new file keeps the old one's permissions, and a symbolic link
// keeps pointing to the rewritten file (see file-identity.h). Returns true
// when the new file is in place; false for a negative `LineNo`, a file the
// caller may not change or one that exists but cannot be opened or read
// (nothing written), or when the rewrite could not be completed (the old
// file is then unchanged).
bool PutLine(const sString& sFileName, int LineNo, const sString& strToWrite);

// PutLine for any line number, also beyond what an int can hold.
bool ReplaceLine(const sString& sFileName, int64_t LineNo,
                 std::string_view strToWrite);

// ReplaceLine that, with `bMustExist`, also fails (nothing written) when
// the file does not exist: for a file that was read a moment ago, whose
// absence now means it was removed meanwhile.
bool ReplaceLineOf(const sString& sFileName, int64_t LineNo,
                   std::string_view strToWrite, bool bMustExist);

#endif  // FLORRIN_SMDB_GET_PUT_LINE_H_
