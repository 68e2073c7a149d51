#include "catalogue-movies.h"

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <new>
#include <system_error>

#include "file-view.h"
#include "held-memory.h"

namespace {

// The field a key names, or -1: by its length first, since a catalogue's
// every value line asks.
int KeyIndex(std::string_view sKey) {
  struct Key {
    const char* name;
    int field;
  };
  static constexpr Key k3[] = {{"pic", 7}, {"Act", 8}};
  static constexpr Key k4[] = {{"plot", 0}, {"rate", 2}, {"year", 3},
                               {"Type", 10}};
  static constexpr Key k5[] = {{"Genre", 9}};
  static constexpr Key k7[] = {{"tagline", 1}, {"runtime", 5}};
  static constexpr Key k8[] = {{"director", 4}, {"comments", 6}};
  const auto find = [sKey](const Key* keys, size_t n) {
    for (size_t i = 0; i < n; ++i) {
      if (std::memcmp(keys[i].name, sKey.data(), sKey.size()) == 0)
        return keys[i].field;
    }
    return -1;
  };
  switch (sKey.size()) {
    case 3: return find(k3, 2);
    case 4: return find(k4, 4);
    case 5: return find(k5, 1);
    case 7: return find(k7, 2);
    case 8: return find(k8, 2);
    default: return -1;
  }
}

// A header line's name, as the listings take it: from after its "[" to
// before the first "]"; the whole line, "[" included, without one.
std::string_view HeaderName(std::string_view sLine) {
  const size_t iEnd = sLine.find(']', 1);
  if (iEnd == std::string_view::npos) return sLine;
  return sLine.substr(1, iEnd - 1);
}

}  // namespace

bool CatalogueMovies::Held::Reserve(size_t iBytes, size_t iKeep) {
  if (iBytes <= size_) return true;
  char* const p = static_cast<char*>(AllocateHeld(iBytes));
  if (p == nullptr) return false;
  if (iKeep > 0) std::memcpy(p, data_, iKeep);
  Free();
  data_ = p;
  size_ = iBytes;
  return true;
}

void CatalogueMovies::Held::Free() {
  FreeHeld(data_, size_);
  data_ = nullptr;
  size_ = 0;
}

void CatalogueMovies::FreeRows() {
  for (size_t k = 0; k < rowBlocks_.size(); ++k)
    FreeHeld(rowBlocks_[k], (k == 0 ? kFirstRows : kBlockRows) * sizeof(Row));
  rowBlocks_.clear();
  rowCount_ = 0;
}

CatalogueMovies::Row* CatalogueMovies::NewRow() {
  const size_t iRoom =
      rowBlocks_.empty() ? 0 : kFirstRows + (rowBlocks_.size() - 1) * kBlockRows;
  if (rowCount_ == iRoom) {
    const size_t iRows = rowBlocks_.empty() ? kFirstRows : kBlockRows;
    void* const p = AllocateHeld(iRows * sizeof(Row));
    if (p == nullptr) return nullptr;
    rowBlocks_.push_back(static_cast<Row*>(p));
  }
  Row* const row = new (const_cast<Row*>(&RowAt(rowCount_))) Row();
  ++rowCount_;
  return row;
}

bool CatalogueMovies::Take(std::string_view sLines, size_t iBase) {
  const char* const p = sLines.data();
  const size_t n = sLines.size();
  Row* row =
      rowCount_ == 0 ? nullptr : const_cast<Row*>(&RowAt(rowCount_ - 1));
  size_t i = 0;
  while (i < n) {
    // The line's text ends at "\n", less a "\r" before it (LineTextEnd).
    const char* const pNewline =
        static_cast<const char*>(std::memchr(p + i, '\n', n - i));
    size_t iEnd = pNewline == nullptr ? n : static_cast<size_t>(pNewline - p);
    const size_t iNext = pNewline == nullptr ? n : iEnd + 1;
    if (pNewline != nullptr && iEnd > i && p[iEnd - 1] == '\r') --iEnd;
    const std::string_view sLine(p + i, iEnd - i);
    const size_t iLine = iBase + i;
    i = iNext;
    if (!sLine.empty() && sLine[0] == '[') {
      row = NewRow();
      if (row == nullptr) return false;
      const std::string_view sName = HeaderName(sLine);
      row->title = {iLine + static_cast<size_t>(sName.data() - sLine.data()),
                    sName.size()};
      continue;
    }
    if (row == nullptr) continue;  // before the first record
    const void* const pEq = std::memchr(sLine.data(), '=', sLine.size());
    if (pEq == nullptr) continue;
    const size_t iEq =
        static_cast<size_t>(static_cast<const char*>(pEq) - sLine.data());
    const int iKey = KeyIndex(sLine.substr(0, iEq));
    if (iKey < 0) continue;
    const std::string_view sValue = sLine.substr(iEq + 1);
    Span& value = row->values[iKey];
    if (iKey == kPic && sValue.find('\r') != std::string_view::npos) {
      value.at = side_.size() | kSide;
      for (const char c : sValue) {
        if (c != '\r') side_.push_back(c);
      }
      value.size = side_.size() - (value.at & ~kSide);
    } else {
      value = {iLine + iEq + 1, sValue.size()};
    }
  }
  return true;
}

void CatalogueMovies::Prefetch(size_t i, bool bValues) const {
#if defined(__GNUC__)
  const Row& row = RowAt(i);
  if (!bValues) {
    const char* const p = reinterpret_cast<const char*>(&row);
    for (size_t k = 0; k < sizeof(Row); k += 64) __builtin_prefetch(p + k);
    return;
  }
  // A record of the usual size: a plot of a few lines and the rest.
  const char* const p = text_.data() + row.title.at;
  for (size_t k = 0; k < 512; k += 64) __builtin_prefetch(p + k);
#else
  (void)i;
  (void)bValues;
#endif
}

bool CatalogueMovies::Read(const sString& sFile, bool* pMissing) {
  textUsed_ = 0;
  FreeRows();
  side_.clear();
  FileView file;
  *pMissing = false;
  if (!file.Open(sFile)) {
    *pMissing = file.Missing();
    return false;
  }
  // Room for the whole file at once; it grows if the file does.
  std::error_code ec;
  const auto iSize =
      std::filesystem::file_size(std::filesystem::path(sFile), ec);
  const size_t iText = ec ? 0 : static_cast<size_t>(iSize);
  bool bOk = text_.Reserve(iText + 1, 0);
  std::string_view sLines;
  while (bOk && file.Next(&sLines)) {
    const size_t iBase = textUsed_;
    const size_t iNeed = iBase + sLines.size();
    if (iNeed > text_.capacity())
      bOk = text_.Reserve(std::max(2 * text_.capacity(), iNeed), iBase);
    if (!bOk) break;
    std::memcpy(text_.data() + iBase, sLines.data(), sLines.size());
    textUsed_ = iNeed;
    bOk = Take(std::string_view(text_.data() + iBase, sLines.size()), iBase);
  }
  if (!bOk || file.Failed()) {
    textUsed_ = 0;
    FreeRows();
    side_.clear();
    return false;
  }
  return true;
}
