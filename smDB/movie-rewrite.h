// The rewrite of one movie record that keeps, or sets, the record's id
// lines. Internal to the catalogue: smDB::changeRec and RewriteMovie share
// it.
#ifndef FLORRIN_SMDB_MOVIE_REWRITE_H_
#define FLORRIN_SMDB_MOVIE_REWRITE_H_

#include <string_view>

#include "lmr.h"

// Replaces the body of record `sRec` of `sFile`: its header line stays, then
// come `sBody` (the eleven field lines joined by the system's line end), the
// id lines and one empty line. The id lines are "tmdb=" `sTmdb` and "imdb="
// `sImdb` (each only when not empty) when `bSetIds` is true; otherwise the
// record's own first "tmdb" and "imdb" lines, as they were, tmdb first.
// Through the scratch file "tmpfl", put in place atomically. False, the
// file unchanged and no "tmpfl" left, when the record is absent, the file
// may not be changed or cannot be read, or the new file could not be put in
// place.
bool RewriteMovieRecord(const sString& sFile, const sString& sRec,
                        std::string_view sBody, bool bSetIds,
                        const sString& sTmdb, const sString& sImdb);

#endif  // FLORRIN_SMDB_MOVIE_REWRITE_H_
