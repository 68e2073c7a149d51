// The catalogue's printing operations: one record's values, and the titles
// of records whose field holds a text.
#include "smDB.h"

#include <cstdio>
#include <string_view>

#include "line-reader.h"
#include "record-lines.h"

namespace {

// The movie record's keys in print order.
const char* const kMovieKeys[11] = {"plot",     "tagline",  "rate", "year",
                                    "director", "runtime",  "comments",
                                    "pic",      "Act",      "Genre", "Type"};
constexpr int kPicIndex = 7;

int MovieKeyIndex(std::string_view key) {
  for (int i = 0; i < 11; ++i)
    if (key == kMovieKeys[i]) return i;
  return -1;
}

void Print(std::string_view sText) {
  if (!sText.empty()) std::fwrite(sText.data(), 1, sText.size(), stdout);
}

// Output collected in memory and written in large pieces: a filter may list
// a great many titles.
class BufferedOutput {
 public:
  BufferedOutput() = default;
  ~BufferedOutput() { Print(text_); }
  BufferedOutput(const BufferedOutput&) = delete;
  BufferedOutput& operator=(const BufferedOutput&) = delete;

  void Add(std::string_view sText) {
    text_.append(sText);
    if (text_.size() >= (1 << 16)) {
      Print(text_);
      text_.clear();
    }
  }

 private:
  sString text_;
};

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

}  // namespace

bool smDB::printRec(const sString& sRec) {
  if (!opened) return false;
  LineReader reader;
  if (!reader.Open(DBfile)) return false;
  std::string_view line;
  if (!SeekHeader(&reader, sRec, &line)) return false;

  // A field the record lacks is printed empty; a repeated key keeps its last
  // value.
  sString values[11];
  while (reader.Next(&line)) {
    if (StartsRecord(line)) break;
    std::string_view key, value;
    if (!SplitField(line, &key, &value)) continue;
    int i = MovieKeyIndex(key);
    if (i >= 0) values[i].assign(value);
  }
  RemFromStr(&values[kPicIndex], "\r");
  for (const sString& sValue : values) {
    Print(sValue);
    Print("|");
  }
  return true;
}

bool smDB::printFilter(const sString& sField, const sString& sWanted) {
  if (!opened) return false;
  sString sWantedUp = sWanted;
  UCase(&sWantedUp);
  LineReader reader;
  if (!reader.Open(DBfile)) return false;

  // Any line holding "[" anywhere names the current record, which is not
  // the record-body rule: a bracketed word in a value renames the record
  // from there on. Lines before the first such line are skipped.
  BufferedOutput out;
  bool bStarted = false;
  sString sName;
  // Only header lines and lines of the wanted key matter; a line of that key
  // begins with the key and "=", so other lines are passed over in bulk.
  const sString sKeyEq = sField + "=";
  std::string_view line;
  while (reader.SkipToLineWith("[", sKeyEq), reader.Next(&line)) {
    if (line.find('[') != std::string_view::npos) {
      bStarted = true;
      sName.assign(BracketName(line));
      continue;
    }
    if (!bStarted) continue;
    std::string_view key, value;
    if (!SplitField(line, &key, &value) || key != sField) continue;
    if (HoldsIgnoringCase(value, sWantedUp)) {
      out.Add(sName);
      out.Add("|");
    }
  }
  return true;
}

void smDB::UCase(sString* sTxt) {
  for (char& c : *sTxt) c = Upper(c);
}
