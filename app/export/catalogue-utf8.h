// The catalogue's text as UTF-8, for files that other programs read (the
// CSV export, the HTML page).
//
// The catalogue holds text in the system's narrow encoding: UTF-8 on POSIX
// systems, the ANSI code page on Windows. A catalogue that travelled between
// systems, or was edited by hand, may hold bytes that are not valid UTF-8;
// those are read as Windows-1252, the encoding such text most often has, so
// that every catalogue gives valid UTF-8 and no byte is dropped silently.
#ifndef FLORRIN_APP_EXPORT_CATALOGUE_UTF8_H_
#define FLORRIN_APP_EXPORT_CATALOGUE_UTF8_H_

#include <string>
#include <string_view>

// `sText`, a value as stored in the catalogue, as valid UTF-8. POSIX: valid
// UTF-8 sequences are kept as they are and every other byte is read as
// Windows-1252 (its five unassigned bytes become U+FFFD). Windows: read in
// the ANSI code page (or as on POSIX where that code page is UTF-8).
std::string CatalogueToUtf8(std::string_view sText);

// The POSIX reading of CatalogueToUtf8, on every system: UTF-8 where the
// bytes are valid UTF-8, Windows-1252 elsewhere.
std::string Utf8OrWindows1252(std::string_view sText);

#endif  // FLORRIN_APP_EXPORT_CATALOGUE_UTF8_H_
