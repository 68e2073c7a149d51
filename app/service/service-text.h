// The movie service speaks UTF-8; the catalogue, its GUI and Florrin's
// arguments use the system's narrow encoding, which on Windows is the ANSI
// code page. These convert between the two; on POSIX systems both are
// UTF-8 and nothing changes; the Windows conversions live in
// service-text_win32.cpp.
#ifndef FLORRIN_APP_SERVICE_TEXT_H_
#define FLORRIN_APP_SERVICE_TEXT_H_

#include "lmr.h"

// `sUtf8`, a text from the service, in the catalogue's encoding. On Windows
// every character the ANSI code page lacks becomes "?", with no look-alike
// letter put in its place.
sString CatalogueText(const sString& sUtf8);

// The search words of the command-line argument `sArg` in UTF-8. On Windows
// they come from the wide command line, since the narrow argument has
// already lost what the code page lacks: the first wide argument that the
// C runtime would have turned into `sArg`, or else `sArg` read in the ANSI
// code page.
sString ServiceWords(const sString& sArg);

#ifndef _WIN32
// POSIX systems: arguments, catalogue and service all use UTF-8.
inline sString CatalogueText(const sString& sUtf8) { return sUtf8; }
inline sString ServiceWords(const sString& sArg) { return sArg; }
#endif

#endif  // FLORRIN_APP_SERVICE_TEXT_H_
