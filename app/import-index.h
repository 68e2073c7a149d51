// What --import must know of the catalogue to decide a row: the names it
// holds (with each record's year), the movie ids its records carry and the
// poster files they name. Records the import adds are noted as it goes.
#ifndef FLORRIN_APP_IMPORT_INDEX_H_
#define FLORRIN_APP_IMPORT_INDEX_H_

#include <unordered_map>
#include <unordered_set>

#include "lmr.h"
#include "movie-record.h"

// Why a row gets no record.
enum class RowVerdict {
  kAdd,        // stored under the name given back
  kNoTitle,    // the row has no title
  kBadName,    // a name the catalogue cannot hold
  kKnownId,    // a record already holds its tmdb or imdb id
  kTaken,      // the title is taken, and no year tells the two apart
};

class ImportIndex {
 public:
  // Reads catalogue file `sFile` in one pass. False when it cannot be read.
  // The pics are read only when NamesPicture is first asked.
  bool Load(const sString& sFile);

  // Notes a record that has been, or is about to be, added.
  void Note(const MovieRecord& m);

  // The name a row titled `sTitle` is stored under, with `sYear` (the row's
  // year, else the service's), and ids `sTmdb` and `sImdb`: the title; or,
  // when a record holds the title, "Title (Year)" if both years are known
  // and differ and that name is free too. kAdd with `*pName` set, or why not.
  RowVerdict Decide(const sString& sTitle, const sString& sYear,
                    const sString& sTmdb, const sString& sImdb,
                    sString* pName) const;

  // True when some record's pic names `sFile` (or the pics could not be
  // read: then no file is free).
  bool NamesPicture(const sString& sFile);

 private:
  sString sFile_;
  bool pics_read_ = false;
  std::unordered_map<sString, sString> years_;  // name -> its year
  std::unordered_set<sString> tmdb_;
  std::unordered_set<sString> imdb_;
  std::unordered_set<sString> pics_;  // once read, and those noted since
};

// The line FLORRIN_LOG gets for a row left out for `verdict`.
sString VerdictText(RowVerdict verdict);

#endif  // FLORRIN_APP_IMPORT_INDEX_H_
