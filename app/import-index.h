// What --import must know of the catalogue to decide a batch of rows: the
// records that hold a row's title (with their year), the movie ids and the
// poster files the rows name. Only what the rows announce is kept (and the
// few keys that look like it), so a catalogue of any size costs one pass and
// a table about the size of the batch.
// Records the import adds are noted as it goes.
#ifndef FLORRIN_APP_IMPORT_INDEX_H_
#define FLORRIN_APP_IMPORT_INDEX_H_

#include <cstddef>
#include <cstdint>
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

// A set of keys that answers "maybe" or "surely not", for a pass that meets
// many keys and wants few: a table of bits set by a hash of a key's length
// and its first and last eight bytes, which costs a few instructions where a
// full hash and a lookup cost a hundred. Never "surely not" for a key added.
class KeyFilter {
 public:
  // Forgets every key and makes room for about `iKeys`, at a few percent of
  // "maybe" for keys never added.
  void Reset(size_t iKeys);

  void Add(std::string_view key) { Set(Hash(key)); }

  // False only when `key` was surely never added since Reset.
  bool MayHold(std::string_view key) const {
    const uint64_t h = Hash(key);
    return Bit(h) && Bit(h >> 32);
  }

 private:
  static uint64_t Hash(std::string_view key);
  void Set(uint64_t h) {
    Mark(h);
    Mark(h >> 32);
  }
  void Mark(uint64_t h) { bits_[(h & mask_) >> 6] |= uint64_t{1} << (h & 63); }
  bool Bit(uint64_t h) const {
    return (bits_[(h & mask_) >> 6] >> (h & 63)) & 1;
  }

  std::vector<uint64_t> bits_ = std::vector<uint64_t>(1);
  uint64_t mask_ = 63;
};

class ImportIndex {
 public:
  // Announces a row that Decide and NamesPicture will be asked about: its
  // title `sTitle`, that title with the year of `m`, and the ids and pic of
  // `m`. Announcements add up until Forget.
  void Want(const sString& sTitle, const MovieRecord& m);

  // Forgets every announcement, and what was read and noted, and makes room
  // for `iRows` rows to be announced (more may be, at some cost in speed).
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
  // A lasting copy of `s` for the tables below, which hold views: one
  // allocation per block of text instead of one per key.
  std::string_view Keep(std::string_view s);
  // Adds a kept copy of `s` to `set`, unless it is empty or there already.
  void KeepIn(std::unordered_set<std::string_view>* set, std::string_view s);

  std::deque<std::string> text_;  // blocks that Keep fills; never moved
  // The keys announced, as filters: a record whose keys all fail them is
  // passed over; one that passes is kept whether it was announced or only
  // looks so (a few in a hundred), which costs a little memory and changes
  // no answer, as only announced keys are asked about.
  KeyFilter wanted_names_;
  KeyFilter wanted_tmdb_;
  KeyFilter wanted_imdb_;
  KeyFilter wanted_pics_;
  std::unordered_map<std::string_view, std::string_view> years_;  // by name
  std::unordered_set<std::string_view> tmdb_;
  std::unordered_set<std::string_view> imdb_;
  std::unordered_set<std::string_view> pics_;
};

// The line FLORRIN_LOG gets for a row left out for `verdict`.
sString VerdictText(RowVerdict verdict);

#endif  // FLORRIN_APP_IMPORT_INDEX_H_
