#include "import-index.h"

#include <algorithm>
#include <functional>

#include "smDB.h"

namespace {

sString WithYear(const sString& sTitle, const sString& sYear) {
  return sTitle + " (" + sYear + ")";
}

}  // namespace

std::string_view ImportIndex::Keep(std::string_view s) {
  // Blocks are reserved whole and only appended to, so a view into one
  // stays valid until Forget.
  const size_t kBlock = 1 << 16;
  if (text_.empty() ||
      text_.back().capacity() - text_.back().size() < s.size()) {
    text_.emplace_back();
    text_.back().reserve(std::max(kBlock, s.size()));
  }
  std::string& block = text_.back();
  const size_t at = block.size();
  block.append(s);
  return std::string_view(block).substr(at, s.size());
}

void ImportIndex::KeepIn(std::unordered_set<std::string_view>* set,
                         std::string_view s) {
  if (!s.empty() && set->count(s) == 0) set->insert(Keep(s));
}

void ImportIndex::Want(const sString& sTitle, const MovieRecord& m) {
  if (!sTitle.empty()) {
    KeepIn(&wanted_names_, sTitle);
    if (!m.values[kYear].empty())
      KeepIn(&wanted_names_, WithYear(sTitle, m.values[kYear]));
  }
  KeepIn(&wanted_tmdb_, m.sTmdb);
  KeepIn(&wanted_imdb_, m.sImdb);
  KeepIn(&wanted_pics_, m.values[kPic]);
}

void ImportIndex::Forget(size_t iRows) {
  wanted_names_.clear();
  wanted_hashes_.clear();
  wanted_tmdb_.clear();
  wanted_imdb_.clear();
  wanted_pics_.clear();
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  text_.clear();
  // Each row announces its title and that title with its year; growing the
  // table as they come would hash every name again and again.
  wanted_names_.reserve(2 * iRows);
  wanted_tmdb_.reserve(iRows);
  wanted_imdb_.reserve(iRows);
}

bool ImportIndex::MayBeWanted(std::string_view sName) const {
  return std::binary_search(wanted_hashes_.begin(), wanted_hashes_.end(),
                            std::hash<std::string_view>()(sName));
}

bool ImportIndex::Load(const sString& sFile) {
  wanted_hashes_.clear();
  wanted_hashes_.reserve(wanted_names_.size());
  for (const std::string_view sName : wanted_names_)
    wanted_hashes_.push_back(std::hash<std::string_view>()(sName));
  std::sort(wanted_hashes_.begin(), wanted_hashes_.end());
  // What was read before is dropped; its text stays in text_ until Forget
  // (a few keys for each reload).
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  return ScanMovieKeys(sFile, [this](const MovieKeys& k) {
    // The first record of a name is the one lookups find.
    if (MayBeWanted(k.sName) && wanted_names_.count(k.sName) &&
        years_.count(k.sName) == 0)
      years_.emplace(Keep(k.sName), Keep(k.sYear));
    const auto Add = [this](const std::unordered_set<std::string_view>& wanted,
                            std::unordered_set<std::string_view>* found,
                            const sString& s) {
      if (wanted.count(s)) KeepIn(found, s);
    };
    Add(wanted_tmdb_, &tmdb_, k.sTmdb);
    Add(wanted_imdb_, &imdb_, k.sImdb);
    Add(wanted_pics_, &pics_, k.sPic);
  });
}

void ImportIndex::Note(const MovieRecord& m) {
  if (years_.count(m.sName) == 0)
    years_.emplace(Keep(m.sName), Keep(m.values[kYear]));
  KeepIn(&tmdb_, m.sTmdb);
  KeepIn(&imdb_, m.sImdb);
  KeepIn(&pics_, m.values[kPic]);
}

bool ImportIndex::NamesPicture(const sString& sFile) const {
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
  const sString sName = WithYear(sTitle, sYear);
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
