#include "import-index.h"

#include "smDB.h"

namespace {

// Records a catalogue of the benchmark's size holds, so the tables need not
// grow by rehashing as it is read.
const size_t kExpectedRecords = 1 << 17;

}  // namespace

bool ImportIndex::Load(const sString& sFile) {
  sFile_ = sFile;
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  pics_read_ = false;
  years_.reserve(kExpectedRecords);
  return ScanMovieKeys(sFile, [this](const MovieKeys& k) {
    // The first record of a name is the one lookups find.
    years_.emplace(k.sName, k.sYear);
    if (!k.sTmdb.empty()) tmdb_.insert(k.sTmdb);
    if (!k.sImdb.empty()) imdb_.insert(k.sImdb);
  });
}

void ImportIndex::Note(const MovieRecord& m) {
  years_.emplace(m.sName, m.values[kYear]);
  if (!m.sTmdb.empty()) tmdb_.insert(m.sTmdb);
  if (!m.sImdb.empty()) imdb_.insert(m.sImdb);
  if (!m.values[kPic].empty()) pics_.insert(m.values[kPic]);
}

bool ImportIndex::NamesPicture(const sString& sFile) {
  if (!pics_read_) {
    pics_read_ = true;
    if (!ScanMovieKeys(sFile_, [this](const MovieKeys& k) {
          if (!k.sPic.empty()) pics_.insert(k.sPic);
        }))
      return true;
  }
  return pics_.count(sFile) > 0;
}

RowVerdict ImportIndex::Decide(const sString& sTitle, const sString& sYear,
                               const sString& sTmdb, const sString& sImdb,
                               sString* pName) const {
  if (sTitle.empty()) return RowVerdict::kNoTitle;
  if (!sTxtDB::isName(sTitle)) return RowVerdict::kBadName;
  if ((!sTmdb.empty() && tmdb_.count(sTmdb)) ||
      (!sImdb.empty() && imdb_.count(sImdb)))
    return RowVerdict::kKnownId;
  const auto found = years_.find(sTitle);
  if (found == years_.end()) {
    *pName = sTitle;
    return RowVerdict::kAdd;
  }
  // Two films of one title: the year tells them apart, or nothing does.
  if (sYear.empty() || found->second.empty() || sYear == found->second)
    return RowVerdict::kTaken;
  const sString sName = sTitle + " (" + sYear + ")";
  if (!sTxtDB::isName(sName)) return RowVerdict::kBadName;
  if (years_.count(sName)) return RowVerdict::kTaken;
  *pName = sName;
  return RowVerdict::kAdd;
}

sString VerdictText(RowVerdict verdict) {
  switch (verdict) {
    case RowVerdict::kAdd:
      return "added";
    case RowVerdict::kNoTitle:
      return "no title: row skipped";
    case RowVerdict::kBadName:
      return "a name the catalogue cannot hold: row skipped";
    case RowVerdict::kKnownId:
      return "the catalogue holds this movie's id already: row skipped";
    case RowVerdict::kTaken:
      return "the catalogue holds this title already: row skipped";
  }
  return sString();
}
