// A movie record whole, as the commands that carry records to and from
// other programs see it: the name, the eleven field values and the lines
// that tie it to its movie ("tmdb=" and "imdb=" after the eleven fields).
//
// Lines of other keys in a record are passed over by every reader here; the
// writers write the eleven fields in their order, then "tmdb", then "imdb",
// each id line only when its value is not empty.
#ifndef FLORRIN_SMDB_MOVIE_RECORD_H_
#define FLORRIN_SMDB_MOVIE_RECORD_H_

#include <array>
#include <cstddef>
#include <functional>
#include <string_view>
#include <vector>

#include "lmr.h"

// Positions of the eleven fields in MovieRecord::values, in field order.
enum MovieField {
  kPlot, kTagline, kRate, kYear, kDirector, kRuntime,
  kComments, kPic, kAct, kGenre, kType, kFieldCount
};

struct MovieRecord {
  sString sName;
  std::array<sString, kFieldCount> values;
  sString sTmdb;  // the value of the record's "tmdb" line; empty: no line
  sString sImdb;  // the value of the record's "imdb" line; empty: no line
};

// The key of field `i` ("plot" ... "Type").
const char* MovieKey(int i);

// Calls `each` for every record of catalogue file `sFile`, in file order,
// with its values (the first line of each key; a key the record lacks is
// empty) and stops when `each` returns false. A record starts at a line
// whose first byte is "["; its name is that line's bracket name. False when
// the file cannot be opened or a read failed part-way (records already
// handed out stay handed out).
bool ScanMovies(const sString& sFile,
                const std::function<bool(const MovieRecord&)>& each);

// What a check over the whole catalogue needs of each record: its name,
// year, ids and pic (the first line of each key; empty when missing). The
// views are valid during the call that hands them out only.
struct MovieKeys {
  std::string_view sName;
  std::string_view sYear;
  std::string_view sTmdb;
  std::string_view sImdb;
  std::string_view sPic;
};

// ScanMovies for those values only, without copying the rest of each
// record: calls `each` for every record in file order. False when the file
// cannot be opened or a read failed part-way. The file is read in blocks of
// `iBlockSize` bytes (0: the usual size); tests pass tiny ones.
bool ScanMovieKeys(const sString& sFile,
                   const std::function<void(const MovieKeys&)>& each,
                   size_t iBlockSize = 0);

// The record named `sName` (the first one), as ScanMovies reads it. False
// when there is none or the file cannot be read.
bool ReadMovie(const sString& sFile, const sString& sName, MovieRecord* pOut);

// Appends the records of `batch` to the end of catalogue file `sFile` in one
// write followed by one flush to the disk, all or nothing, each block as
// addRec appends one plus its id lines. The caller has made sure, under the
// catalogue lock, that no name is taken. False (file as it was) when a name
// is no record name, a value or id holds a line break, the file may not be
// changed, or the write failed.
bool AppendMovies(const sString& sFile, const std::vector<MovieRecord>& batch);

// The same for records held elsewhere, appended in the order given.
bool AppendMovies(const sString& sFile,
                  const std::vector<const MovieRecord*>& batch);

// Replaces the body of record `m.sName` in `sFile` by the eleven fields, the
// id lines of `m` and one empty line, through the scratch file "tmpfl" put
// in place atomically, as smDB::changeRec does. False, file unchanged, on
// the failures changeRec reports.
bool RewriteMovie(const sString& sFile, const MovieRecord& m);

#endif  // FLORRIN_SMDB_MOVIE_RECORD_H_
