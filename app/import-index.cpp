#include "import-index.h"

#include "smDB.h"

bool ImportIndex::Load(const sString& sFile) {
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  return ScanMovies(sFile, [this](const MovieRecord& m) {
    Note(m);
    return true;
  });
}

void ImportIndex::Note(const MovieRecord& m) {
  // The first record of a name is the one lookups find.
  years_.emplace(m.sName, m.values[kYear]);
  if (!m.sTmdb.empty()) tmdb_.insert(m.sTmdb);
  if (!m.sImdb.empty()) imdb_.insert(m.sImdb);
  if (!m.values[kPic].empty()) pics_.insert(m.values[kPic]);
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
