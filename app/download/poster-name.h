// The file name a record's poster is saved under.
#ifndef FLORRIN_APP_POSTER_NAME_H_
#define FLORRIN_APP_POSTER_NAME_H_

#include <string>

#include "lmr.h"

// The record name `sRec` with each of \ / : * ? " < > | and each byte below
// 32 replaced by "_", followed by ".jpg": a name in the current folder that
// both Windows and Linux accept, the same on both so that the folder can
// move between them. Empty (no poster) for "." and "..", and for the names
// Windows keeps for devices: CON, PRN, AUX, NUL, COM0 to COM9, LPT0 to
// LPT9, and COM or LPT followed by a superscript digit (U+00B9, U+00B2,
// U+00B3), in any letter case, also with an extension such as "nul.x",
// which Windows reads as the device too. The name is judged as the system
// sees it (NameAsSystemSees).
sString PosterFileName(const sString& sRec);

// `sRec` in UTF-16, as the system's file functions see the name: on Windows
// converted from the ANSI code page, as the narrow file functions convert
// it; elsewhere decoded from UTF-8, with U+FFFD for each byte that is not
// part of a well-formed sequence. Empty when a Windows conversion fails.
std::u16string NameAsSystemSees(const sString& sRec);

#endif  // FLORRIN_APP_POSTER_NAME_H_
