// The catalogue's printing operations: one record's values, and the titles
// of records whose field holds a text.
#include "smDB.h"

#include <string_view>

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

// True when the upper-cased `value` holds `sWantedUp`, which is upper-cased
// already; compared in place, without an upper-cased copy of the value. As
// a search in that copy would: an empty value holds nothing, not even an
// empty text, and any other value holds the empty text.
bool HoldsIgnoringCase(std::string_view value, std::string_view sWantedUp) {
  const size_t n = sWantedUp.size();
  if (value.empty() || n > value.size()) return false;
  if (n == 0) return true;
  for (size_t i = 0; i + n <= value.size(); ++i) {
    if (Upper(value[i]) != sWantedUp[0]) continue;
    size_t j = 1;
    while (j < n && Upper(value[i + j]) == sWantedUp[j]) ++j;
    if (j == n) return true;
  }
  return false;
}

// The filter's pass over the catalogue, fed whole lines in file order.
//
// A header line, as everywhere in the store, is a line whose first byte is
// "[": it names the record for the lines after it, and a bracketed word
// inside a value names nothing. Lines before the first header line belong to
// no record. Only header lines and the lines of the wanted key matter, and
// each begins with "[" or with the key and "="; so the lines are never split
// one by one: "[" and the key are searched for (memchr at heart) and only the
// hits at a line start are looked at.
class FilterScan {
 public:
  FilterScan(const sString& sField, const sString& sWantedUp)
      : sField_(sField), sKeyEq_(sField + "="), sWantedUp_(sWantedUp) {}

  // Scans `sLines`, whole lines (the last one may lack its "\n"), printing
  // the name of the record for each matching line.
  void Lines(std::string_view sLines) {
    constexpr size_t npos = std::string_view::npos;
    size_t iHeader = AtLineStart(sLines, "[", 0);
    size_t iKey = AtLineStart(sLines, sKeyEq_, 0);
    while (iHeader != npos || iKey != npos) {
      const size_t iStart = iKey < iHeader ? iKey : iHeader;
      const size_t iEnd = LineTextEnd(sLines, iStart);
      const std::string_view line = sLines.substr(iStart, iEnd - iStart);
      if (iKey < iHeader) {
        KeyLine(line);
      } else {
        // A header line is never a field line, whatever its key.
        sName_.assign(BracketName(line));
        bStarted_ = true;
        iHeader = AtLineStart(sLines, "[", iEnd);
      }
      if (iKey < iEnd) iKey = AtLineStart(sLines, sKeyEq_, iEnd);
    }
  }

 private:
  // The first position at or after `i` where a line of `sLines` begins with
  // `sText`, or npos.
  static size_t AtLineStart(std::string_view sLines, std::string_view sText,
                            size_t i) {
    for (i = sLines.find(sText, i); i != std::string_view::npos;
         i = sLines.find(sText, i + 1))
      if (i == 0 || sLines[i - 1] == '\n') return i;
    return std::string_view::npos;
  }

  void KeyLine(std::string_view line) {
    if (!bStarted_) return;
    std::string_view key, value;
    if (!SplitField(line, &key, &value) || key != sField_) return;
    if (HoldsIgnoringCase(value, sWantedUp_)) PrintItem(sName_);
  }

  const sString& sField_;
  const sString sKeyEq_;
  const sString& sWantedUp_;
  bool bStarted_ = false;
  sString sName_;
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
  RemFromStr(&values[kPicField], "\r");
  for (const sString& sValue : values) PrintItem(sValue);
  return true;
}

bool smDB::printFilter(const sString& sField, const sString& sWanted) {
  if (!opened) return false;
  sString sWantedUp = sWanted;
  UCase(&sWantedUp);
  LineReader reader;
  if (!reader.Open(DBfile)) return false;
  FilterScan scan(sField, sWantedUp);
  std::string_view line;
  for (;;) {
    scan.Lines(reader.SkipWholeLines());
    if (!reader.Next(&line)) return true;
    scan.Lines(line);
  }
}

void smDB::UCase(sString* sTxt) {
  for (char& c : *sTxt) c = Upper(c);
}
