// Where a page finds a poster: the address of a file in the catalogue's
// folder, relative to the folder the page is written to, so that the page
// works when opened from the disk (file://) and a folder tree copied whole
// keeps working.
#ifndef FLORRIN_APP_EXPORT_POSTER_ADDRESS_H_
#define FLORRIN_APP_EXPORT_POSTER_ADDRESS_H_

#include <string>
#include <string_view>

// How the folders handed to PosterAddress are written.
enum class PathStyle {
  kPosix,    // "/a/b": folder names compared byte for byte
  kWindows,  // "C:\a\b", "\\server\share\a" (also with "/" and the "\\?\"
             // prefix): names compared ignoring ASCII case, roots too
};

// True for a pic value that names a file directly in the catalogue's folder
// on every system: not empty, not "." or "..", and without "/", "\", ":"
// (a drive or a Windows stream) or a control byte. Anything else gets no
// address: a pic must never send the page to another folder or another
// computer.
bool IsPlainFileName(std::string_view sPic);

// The address, for a page in the folder `sPageFolder`, of the file `sFile`
// (a plain file name) in the folder `sPosterFolder`. Both folders are
// absolute paths whose names are bytes (POSIX: as stored; Windows: UTF-8).
// The address is relative, folders joined by "/" ("../movies/Alien.jpg"),
// each name percent-encoded from its bytes; where the two folders have
// different roots (Windows: another drive or share) it is an absolute
// "file:///C:/..." or "file://server/share/..." address.
std::string PosterAddress(std::string_view sPageFolder,
                          std::string_view sPosterFolder,
                          std::string_view sFile, PathStyle style);

#endif  // FLORRIN_APP_EXPORT_POSTER_ADDRESS_H_
