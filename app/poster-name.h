// The file name a record's poster is saved under.
#ifndef FLORRIN_APP_POSTER_NAME_H_
#define FLORRIN_APP_POSTER_NAME_H_

#include "lmr.h"

// The record name `sRec` with each of \ / : * ? " < > | and each byte below
// 32 replaced by "_", followed by ".jpg": a name in the current folder that
// both Windows and Linux accept, the same on both so that the folder can
// move between them. Empty (no poster) for "." and "..", and for the names
// Windows keeps for devices (CON, PRN, AUX, NUL, COM1 to COM9, LPT1 to LPT9,
// in any letter case, also with an extension such as "nul.x", which Windows
// reads as the device too).
sString PosterFileName(const sString& sRec);

#endif  // FLORRIN_APP_POSTER_NAME_H_
