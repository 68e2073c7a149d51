// The catalogue's printing operations: one record's values, and the titles
// of records whose field holds a text.
#include "smDB.h"

#include <cstring>
#include <string_view>

#include "file-view.h"
#include "line-reader.h"
#include "movie-fields.h"
#include "output.h"
#include "record-lines.h"

namespace {

int MovieKeyIndex(std::string_view key) {
  for (int i = 0; i < kMovieFields; ++i)
    if (key == kMovieKeys[i]) return i;
  return -1;
}

// toupper as the program has it: it never changes the locale, so only a to z
// are mapped and every other byte, those above 127 included, stays.
inline char Upper(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// A text searched for in values ignoring a to z case, compared in place,
// without an upper-cased copy of the value.
class CaseBlindText {
 public:
  // `sUp` is upper-cased already.
  explicit CaseBlindText(std::string_view sUp)
      : sUp_(sUp),
        first_(sUp.empty() ? '\0' : sUp[0]),
        firstLow_(first_ >= 'A' && first_ <= 'Z'
                      ? static_cast<char>(first_ - 'A' + 'a')
                      : first_) {}

  // True when the upper-cased `value` holds the text. As a search in that
  // copy would: an empty value holds nothing, not even an empty text, and
  // any other value holds the empty text.
  bool FoundIn(std::string_view value) const {
    const size_t n = sUp_.size();
    if (value.empty() || n > value.size()) return false;
    if (n == 0) return true;
    // Only a to z are folded, so just two bytes can start a match.
    for (size_t i = 0; i + n <= value.size(); ++i) {
      if (value[i] != first_ && value[i] != firstLow_) continue;
      size_t j = 1;
      while (j < n && Upper(value[i + j]) == sUp_[j]) ++j;
      if (j == n) return true;
    }
    return false;
  }

 private:
  const std::string_view sUp_;
  const char first_;
  const char firstLow_;
};

// The filter's pass over the whole catalogue file.
//
// A header line, as everywhere in the store, is a line whose first byte is
// "[": it names the record for the lines after it, and a bracketed word
// inside a value names nothing. Lines before the first header line belong to
// no record. Only header lines and the lines of the wanted key matter, and
// each begins with "[" or with the key and "="; so the lines are never split
// one by one: "[" and the key's first byte are searched for with memchr, and
// only the hits at a line start are looked at. Library calls on the short
// stretches (a header's name, a field's key) cost more than the bytes, which
// are looked at in place.
class FilterScan {
 public:
  FilterScan(std::string_view sFile, const sString& sField,
             const sString& sWantedUp)
      : sFile_(sFile), sKeyEq_(sField + "="), wanted_(sWantedUp) {}

  // Prints the name of the record for each matching line, in file order.
  void Run() {
    // A field line's key ends at its first "=" and never spans lines, and a
    // line beginning with "[" is a header line: such keys match nothing.
    const std::string_view sField(sKeyEq_.data(), sKeyEq_.size() - 1);
    if (sField.find_first_of("=\n") != npos ||
        (!sField.empty() && sField[0] == '['))
      return;
    size_t iHeader = AtLineStart("[", 0);
    for (size_t iKey = AtLineStart(sKeyEq_, 0); iKey != npos;
         iKey = AtLineStart(sKeyEq_, iKey + sKeyEq_.size())) {
      while (iHeader < iKey) iHeader = AtLineStart("[", Header(iHeader));
      if (bStarted_ && wanted_.FoundIn(Value(iKey + sKeyEq_.size())))
        PrintItem(sName_);
    }
  }

 private:
  static constexpr size_t npos = std::string_view::npos;

  // The first position at or after `i` where a line of the file begins with
  // `sText` (not empty), or npos.
  size_t AtLineStart(std::string_view sText, size_t i) const {
    const char* const begin = sFile_.data();
    const char* const end = begin + sFile_.size();
    const size_t n = sText.size();
    for (const char* p = begin + i; static_cast<size_t>(end - p) >= n; ++p) {
      p = static_cast<const char*>(
          std::memchr(p, sText[0], static_cast<size_t>(end - p) - n + 1));
      if (p == nullptr) break;
      if (p != begin && p[-1] != '\n') continue;
      size_t j = 1;
      while (j < n && p[j] == sText[j]) ++j;
      if (j == n) return static_cast<size_t>(p - begin);
    }
    return npos;
  }

  // Takes the name of the header line at `i`, as BracketName does: up to the
  // first "]", or the whole line without one. Returns a position inside or
  // just after that line, where the search for the next one may go on.
  size_t Header(size_t i) {
    bStarted_ = true;
    size_t j = i + 1;
    while (j < sFile_.size() && sFile_[j] != ']' && sFile_[j] != '\n') ++j;
    if (j < sFile_.size() && sFile_[j] == ']') {
      sName_ = sFile_.substr(i + 1, j - i - 1);
    } else {
      sName_ = sFile_.substr(i, LineTextEnd(sFile_, i) - i);
    }
    return j;
  }

  // The value that starts at `i`: the rest of its line's text.
  std::string_view Value(size_t i) const {
    return sFile_.substr(i, LineTextEnd(sFile_, i) - i);
  }

  const std::string_view sFile_;
  const sString sKeyEq_;
  const CaseBlindText wanted_;
  bool bStarted_ = false;
  std::string_view sName_;  // into sFile_
};

}  // namespace

bool smDB::printRec(const sString& sRec) {
  if (!opened) return false;
  LineReader reader;
  if (!reader.Open(DBfile)) return false;
  std::string_view line;
  if (!SeekHeader(&reader, sRec, &line)) return false;

  // A field the record lacks is printed empty; a repeated key keeps its last
  // value.
  sString values[kMovieFields];
  while (reader.Next(&line)) {
    if (StartsRecord(line)) break;
    std::string_view key, value;
    if (!SplitField(line, &key, &value)) continue;
    int i = MovieKeyIndex(key);
    if (i >= 0) values[i].assign(value);
  }
  // Values from a body that a failed read cut short are not printed.
  if (reader.Failed()) return false;
  RemFromStr(&values[kPicField], "\r");
  for (const sString& sValue : values) PrintItem(sValue);
  return true;
}

bool smDB::printFilter(const sString& sField, const sString& sWanted) {
  if (!opened) return false;
  sString sWantedUp = sWanted;
  UCase(&sWantedUp);
  FileView file;
  if (!file.Open(DBfile)) return false;
  FilterScan(file.Bytes(), sField, sWantedUp).Run();
  return true;
}

void smDB::UCase(sString* sTxt) {
  for (char& c : *sTxt) c = Upper(c);
}
