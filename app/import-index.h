// What --import must know of the catalogue to decide a batch of rows: the
// records that hold a row's title (with their year), the movie ids and the
// poster files the rows name. Only what the rows announce is kept, so a
// catalogue of any size costs one pass and a table the size of the batch.
// Records the import adds are noted as it goes.
#ifndef FLORRIN_APP_IMPORT_INDEX_H_
#define FLORRIN_APP_IMPORT_INDEX_H_

#include <cstddef>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

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
  // Announces a row that Decide and NamesPicture will be asked about: its
  // title `sTitle`, that title with the year of `m`, and the ids and pic of
  // `m`. Announcements add up until Forget.
  void Want(const sString& sTitle, const MovieRecord& m);

  // Forgets every announcement, and what was read and noted, and makes room
  // for `iRows` rows to be announced.
  void Forget(size_t iRows = 0);

  // Reads catalogue file `sFile` in one pass, keeping of each record what an
  // announced key asks for, and drops what was read or noted before. False
  // when it cannot be read.
  bool Load(const sString& sFile);

  // Notes a record that has been, or is about to be, added.
  void Note(const MovieRecord& m);

  // The name a row titled `sTitle` is stored under, with `sYear` (the row's
  // year, else the service's), and ids `sTmdb` and `sImdb`: the title; or,
  // when a record holds the title, "Title (Year)" if both years are known
  // and differ and that name is free too. kAdd with `*pName` set, or why not.
  // Answers for announced rows only (and what was noted).
  RowVerdict Decide(const sString& sTitle, const sString& sYear,
                    const sString& sTmdb, const sString& sImdb,
                    sString* pName) const;

  // True when some record's pic names `sFile` (an announced pic).
  bool NamesPicture(const sString& sFile) const;

 private:
  // True when `sName` may be an announced name: a look at a small sorted
  // table of their hashes, which the catalogue's other names (nearly all of
  // them) fail without a walk through the set's nodes.
  bool MayBeWanted(std::string_view sName) const;

  // A lasting copy of `s` for the tables below, which hold views: one
  // allocation per block of text instead of one per key.
  std::string_view Keep(std::string_view s);
  // Adds a kept copy of `s` to `set`, unless it is empty or there already.
  void KeepIn(std::unordered_set<std::string_view>* set, std::string_view s);

  std::deque<std::string> text_;  // blocks that Keep fills; never moved
  std::unordered_set<std::string_view> wanted_names_;
  std::vector<size_t> wanted_hashes_;  // of wanted_names_, sorted
  std::unordered_set<std::string_view> wanted_tmdb_;
  std::unordered_set<std::string_view> wanted_imdb_;
  std::unordered_set<std::string_view> wanted_pics_;
  std::unordered_map<std::string_view, std::string_view> years_;  // by name
  std::unordered_set<std::string_view> tmdb_;
  std::unordered_set<std::string_view> imdb_;
  std::unordered_set<std::string_view> pics_;
};

// The line FLORRIN_LOG gets for a row left out for `verdict`.
sString VerdictText(RowVerdict verdict);

#endif  // FLORRIN_APP_IMPORT_INDEX_H_
