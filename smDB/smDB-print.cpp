// The catalogue's printing operations: one record's values, and the titles
// of records whose field holds a text.
#include "smDB.h"

#include <cstring>
#include <string_view>

#include "byte-scan.h"
#include "file-view.h"
#include "last-byte.h"
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
                      : first_),
        fold_(first_ != firstLow_ ? 0x20 : 0) {}

  // True when the upper-cased value that starts at `p` holds the text, which
  // holds no "\n". As a search in an upper-cased copy would: an empty value
  // holds nothing, not even an empty text, and any other value holds the
  // empty text. The value runs to the end of its line by the store's line
  // model: up to the next "\n", less a "\r" directly before it, or up to
  // `end`. One pass over it, which is short: its end is only looked for
  // where it decides the answer.
  bool FoundIn(const char* p, const char* end) const {
    const size_t n = sUp_.size();
    if (n == 0) return p != end && *p != '\n' && !IsLineEnd(p, end);
    if (static_cast<size_t>(end - p) < n) return false;
    for (const char* const last = end - n;; ++p) {
      // The next byte that ends the line or may begin the text, eight bytes
      // at a time; one compare for both cases of a letter.
      p = FirstOfTwo(p, end, '\n', firstLow_, fold_);
      if (p > last || *p == '\n') return false;
      size_t j = 1;
      while (j < n && Upper(p[j]) == sUp_[j]) ++j;
      // A "\n" never matches (the caller asks for no text holding one); a
      // "\r" that is part of the line end is not part of the value.
      if (j == n) return !(p[n - 1] == '\r' && IsLineEnd(p + n - 1, end));
    }
  }

 private:
  // True when `p` is the "\r" of a "\r\n" line end before `end`.
  static bool IsLineEnd(const char* p, const char* end) {
    return *p == '\r' && end - p >= 2 && p[1] == '\n';
  }

  const std::string_view sUp_;
  const char first_;
  const char firstLow_;
  const char fold_;  // 0x20 when the first byte is a letter, else 0
};

// The filter's pass over the catalogue file, a block of whole lines at a
// time.
//
// A header line, as everywhere in the store, is a line whose first byte is
// "[": it names the record for the lines after it, and a bracketed word
// inside a value names nothing. Lines before the first header line belong to
// no record. Only the lines of the wanted key and header lines matter, and
// each begins with the key and "=" or with "["; so the lines are never split
// one by one: the key's first byte is searched for with memchr, and only the
// hits at a line start are looked at. A header is only needed for a line
// that matches, and is searched for backwards from it, a few hundred bytes
// at most where the rest of the scan has to read every byte. Library calls
// on the short stretches (a value, a header's name) cost more than the
// bytes, which are looked at in place.
class FilterScan {
 public:
  FilterScan(const sString& sField, const sString& sWantedUp)
      : sKeyEq_(sField + "="), wanted_(sWantedUp) {
    // A field line's key ends at its first "=" and never spans lines, and a
    // line beginning with "[" is a header line: such keys match nothing.
    // No value holds a line break either.
    bNoMatch_ = sField.find_first_of("=\n") != npos ||
                (!sField.empty() && sField[0] == '[') ||
                sWantedUp.find('\n') != npos;
  }

  // Prints the name of the record for each matching line of `sLines`, whole
  // lines that follow those scanned before, in file order.
  void Scan(std::string_view sLines) {
    if (bNoMatch_) return;
    const char* const end = sLines.data() + sLines.size();
    // Headers are only looked for where a line matches, backwards from it:
    // the last one before it names it. Those before iFrom are known.
    size_t iFrom = 0;
    size_t iHeader = npos;  // the last header before iFrom in this block
    for (size_t iKey = AtLineStart(sLines, sKeyEq_, 0); iKey != npos;
         iKey = AtLineStart(sLines, sKeyEq_, iKey + sKeyEq_.size())) {
      if (!wanted_.FoundIn(sLines.data() + iKey + sKeyEq_.size(), end))
        continue;
      const size_t iLast = LastHeader(sLines, iFrom, iKey);
      if (iLast != npos) iHeader = iLast;
      iFrom = iKey;
      if (iHeader == npos && !bStarted_) continue;
      PrintItem(iHeader == npos ? std::string_view(sName_)
                                : HeaderName(sLines, iHeader));
    }
    // The last header of the block names the first lines of the next one.
    const size_t iLast = LastHeader(sLines, iFrom, sLines.size());
    if (iLast != npos) iHeader = iLast;
    if (iHeader != npos) {
      sName_.assign(HeaderName(sLines, iHeader));
      bStarted_ = true;
    }
  }

 private:
  static constexpr size_t npos = std::string_view::npos;

  // The first position at or after `i` where a line of `sLines` begins with
  // `sText` (not empty), or npos.
  static size_t AtLineStart(std::string_view sLines, std::string_view sText,
                            size_t i) {
    const char* const begin = sLines.data();
    const char* const end = begin + sLines.size();
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

  // The last header line that starts in [iFrom, iTo) of `sLines`, or npos.
  static size_t LastHeader(std::string_view sLines, size_t iFrom,
                           size_t iTo) {
    const char* const begin = sLines.data();
    while (iTo > iFrom) {
      const char* p = FindLastByte(begin + iFrom, '[', iTo - iFrom);
      if (p == nullptr) return npos;
      if (p == begin || p[-1] == '\n') return static_cast<size_t>(p - begin);
      iTo = static_cast<size_t>(p - begin);
    }
    return npos;
  }

  // The name of the header line at `i`, as BracketName takes it: up to the
  // first "]", or the whole line without one.
  static std::string_view HeaderName(std::string_view sLines, size_t i) {
    const size_t iEnd = LineTextEnd(sLines, i);
    const std::string_view sLine = sLines.substr(i, iEnd - i);
    const size_t iClose = sLine.find(']', 1);
    if (iClose == npos) return sLine;
    return sLine.substr(1, iClose - 1);
  }

  const sString sKeyEq_;
  const CaseBlindText wanted_;
  bool bNoMatch_;
  bool bStarted_ = false;  // a header has been passed
  sString sName_;          // the name of the last header of earlier blocks
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
  // Held back until the whole file is read: a read that fails part-way
  // shows no names.
  HeldOutput held;
  FilterScan scan(sField, sWantedUp);
  std::string_view sLines;
  while (file.Next(&sLines)) scan.Scan(sLines);
  return !file.Failed() && held.Commit();
}

void smDB::UCase(sString* sTxt) {
  for (char& c : *sTxt) c = Upper(c);
}
