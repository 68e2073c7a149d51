// What a movie source's answer puts into a record: a new record whole (the
// imports), or only what a record lacks (--refresh, --import with a
// credential), never what the user wrote.
#ifndef FLORRIN_APP_MOVIE_FILL_H_
#define FLORRIN_APP_MOVIE_FILL_H_

#include "lmr.h"
#include "movie-record.h"
#include "movie-source.h"

// The record an import stores for the movie `d` under the name `sRec`, with
// `sPic` as its pic: comments and Type empty, the ids of `d` where they are
// of the stored forms (movie-ids.h).
MovieRecord RecordOf(const sString& sRec, const MovieDetails& d,
                     const sString& sPic);

// Gives each of plot, tagline, rate, year, director, runtime, Act and Genre
// that is empty in `*m` the value of `d`; comments, pic and Type are never
// touched, nor any field that is not empty. True when a field changed.
bool FillMissing(const MovieDetails& d, MovieRecord* m);

// Sets the id lines of `*m` that are empty to those of `d` (of the stored
// forms only). True when one changed.
bool FillMissingIds(const MovieDetails& d, MovieRecord* m);

// True when the record has no poster to show: pic is empty, or names no
// file in the current folder.
bool LacksPoster(const MovieRecord& m);

// True when the record lacks nothing an answer of the service could give:
// all eight filled fields are set and it has its poster.
bool LacksNothing(const MovieRecord& m);

#endif  // FLORRIN_APP_MOVIE_FILL_H_
