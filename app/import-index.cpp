#include "import-index.h"

#include <algorithm>
#include <cstring>

#include "smDB.h"

namespace {

sString WithYear(const sString& sTitle, const sString& sYear) {
  return sTitle + " (" + sYear + ")";
}

}  // namespace

void KeyFilter::Reset(size_t iKeys) {
  // Two bits per key in a table of at least 16 bits per key: about one key
  // in seventy that was never added passes.
  size_t iBits = 64;
  while (iBits < 16 * iKeys && iBits < (size_t{1} << 30)) iBits *= 2;
  bits_.assign(iBits / 64, 0);
  mask_ = iBits - 1;
}

uint64_t KeyFilter::Hash(std::string_view key) {
  const size_t n = key.size();
  if (n == 0) return 0;
  const size_t k = std::min<size_t>(n, 8);
  uint64_t head = 0;
  uint64_t tail = 0;
  std::memcpy(&head, key.data(), k);
  std::memcpy(&tail, key.data() + n - k, k);
  uint64_t h = (head ^ (uint64_t{n} << 56)) * 0x9E3779B97F4A7C15u;
  h ^= (tail + n) * 0xC2B2AE3D27D4EB4Fu;
  h ^= h >> 31;
  h *= 0x94D049BB133111EBu;
  return h ^ (h >> 29);
}

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
    wanted_names_.Add(sTitle);
    if (!m.values[kYear].empty())
      wanted_names_.Add(WithYear(sTitle, m.values[kYear]));
  }
  if (!m.sTmdb.empty()) wanted_tmdb_.Add(m.sTmdb);
  if (!m.sImdb.empty()) wanted_imdb_.Add(m.sImdb);
  if (!m.values[kPic].empty()) wanted_pics_.Add(m.values[kPic]);
}

void ImportIndex::Forget(size_t iRows) {
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  text_.clear();
  // Each row announces its title and that title with its year.
  wanted_names_.Reset(2 * iRows);
  wanted_tmdb_.Reset(iRows);
  wanted_imdb_.Reset(iRows);
  wanted_pics_.Reset(iRows);
}

bool ImportIndex::Load(const sString& sFile) {
  // What was read before is dropped; its text stays in text_ until Forget
  // (a few keys for each reload).
  years_.clear();
  tmdb_.clear();
  imdb_.clear();
  pics_.clear();
  return ScanMovieKeys(sFile, [this](const MovieKeys& k) {
    // The first record of a name is the one lookups find.
    if (wanted_names_.MayHold(k.sName) && years_.count(k.sName) == 0)
      years_.emplace(Keep(k.sName), Keep(k.sYear));
    if (!k.sTmdb.empty() && wanted_tmdb_.MayHold(k.sTmdb))
      KeepIn(&tmdb_, k.sTmdb);
    if (!k.sImdb.empty() && wanted_imdb_.MayHold(k.sImdb))
      KeepIn(&imdb_, k.sImdb);
    if (!k.sPic.empty() && wanted_pics_.MayHold(k.sPic))
      KeepIn(&pics_, k.sPic);
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
