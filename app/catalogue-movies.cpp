#include "catalogue-movies.h"

#include <filesystem>
#include <system_error>

#include "file-view.h"

namespace {

constexpr const char* kKeys[11] = {"plot",     "tagline", "rate", "year",
                                   "director", "runtime", "comments", "pic",
                                   "Act",      "Genre",   "Type"};
constexpr int kPic = static_cast<int>(MovieField::kPic);

int KeyIndex(std::string_view sKey) {
  for (int i = 0; i < 11; ++i) {
    if (sKey == kKeys[i]) return i;
  }
  return -1;
}

// A header line's name, as the listings take it: from after its "[" to
// before the first "]"; the whole line, "[" included, without one.
std::string_view HeaderName(std::string_view sLine) {
  const size_t iEnd = sLine.find(']', 1);
  if (iEnd == std::string_view::npos) return sLine;
  return sLine.substr(1, iEnd - 1);
}

}  // namespace

CatalogueMovies::Span CatalogueMovies::Keep(std::string_view s) {
  Span span;
  span.at = text_.size();
  span.size = s.size();
  text_.append(s);
  return span;
}

void CatalogueMovies::Take(std::string_view sLines) {
  size_t i = 0;
  while (i < sLines.size()) {
    const size_t iEnd = LineTextEnd(sLines, i);
    const std::string_view sLine = sLines.substr(i, iEnd - i);
    const size_t iNext = sLines.find('\n', iEnd);
    i = iNext == std::string_view::npos ? sLines.size() : iNext + 1;
    if (!sLine.empty() && sLine[0] == '[') {
      rows_.emplace_back();
      rows_.back().title = Keep(HeaderName(sLine));
      continue;
    }
    if (rows_.empty()) continue;  // before the first record
    const size_t iEq = sLine.find('=');
    if (iEq == std::string_view::npos) continue;
    const int iKey = KeyIndex(sLine.substr(0, iEq));
    if (iKey < 0) continue;
    std::string_view sValue = sLine.substr(iEq + 1);
    Span& value = rows_.back().values[iKey];
    if (iKey == kPic && sValue.find('\r') != std::string_view::npos) {
      value.at = text_.size();
      for (const char c : sValue) {
        if (c != '\r') text_.push_back(c);
      }
      value.size = text_.size() - value.at;
    } else {
      value = Keep(sValue);
    }
  }
}

bool CatalogueMovies::Read(const sString& sFile, bool* pMissing) {
  text_.clear();
  rows_.clear();
  FileView file;
  *pMissing = false;
  if (!file.Open(sFile)) {
    *pMissing = file.Missing();
    return false;
  }
  // Room for the whole file at once: growing by doubling would copy and
  // fault in the text again and again.
  std::error_code ec;
  const auto iSize = std::filesystem::file_size(std::filesystem::path(sFile), ec);
  if (!ec) {
    text_.reserve(static_cast<size_t>(iSize));
    rows_.reserve(static_cast<size_t>(iSize / 256));
  }
  std::string_view sLines;
  while (file.Next(&sLines)) Take(sLines);
  if (file.Failed()) {
    text_.clear();
    rows_.clear();
    return false;
  }
  return true;
}
