// Conversion of Florrin's byte strings to the UTF-16 text that the wide
// Windows functions take. Only the Windows build has it.
#ifndef FLORRIN_BASE_WIDE_NAME_WIN32_H_
#define FLORRIN_BASE_WIDE_NAME_WIN32_H_

#include <string>
#include <string_view>

// Stores `sText`, read as text in the system's ANSI code page (the one the C
// runtime's narrow functions use for file names and command-line words), in
// `*pWide` as UTF-16, every byte included. False (and `*pWide` empty) when a
// non-empty text cannot be converted. A file name that holds a NUL byte ends
// there for the wide functions, as it does for the narrow ones.
bool Widen(std::string_view sText, std::wstring* pWide);

// Stores the UTF-16 text `wide` in `*pText` in the system's ANSI code page,
// the reverse of Widen. False (and `*pText` empty) when some character has
// no exact form in the code page: a file name with a look-alike in its place
// would name another file.
bool Narrow(std::wstring_view wide, std::string* pText);

#endif  // FLORRIN_BASE_WIDE_NAME_WIN32_H_
