// CSV as spreadsheets and movie sites write it (RFC 4180): a streaming
// reader that never holds more than one row, and the writer's quoting.
//
// Fields are separated by a comma (or, for files saved where the comma is
// the decimal mark, a semicolon), rows end with CR LF or LF, and a field in
// double quotes may hold separators, doubled quotes and line breaks.
#ifndef FLORRIN_APP_EXPORT_CSV_H_
#define FLORRIN_APP_EXPORT_CSV_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// Reads up to `size` bytes into `buffer`: how many were read, 0 at the end
// of the input, -1 when reading failed.
using CsvSource = std::function<long(char* buffer, size_t size)>;

// What CsvReader::Next found.
enum class CsvStatus {
  kRow,      // a row: the fields are set
  kEnd,      // no more rows
  kTooLong,  // a row longer than the limit, read past and left out
  kNotText,  // the input holds a NUL byte: no CSV (UTF-16, a binary file)
  kUtf16,    // the input starts with a UTF-16 byte-order mark
  kFailed,   // reading failed
};

class CsvReader {
 public:
  // The longest row kept, in bytes (separators and line ends included).
  static constexpr size_t kDefaultMaxRow = 1 << 20;

  // Reads from `source`. A UTF-8 byte-order mark at the start is dropped.
  // The separator is the comma, or the semicolon when the first line holds
  // no comma but does hold a semicolon.
  explicit CsvReader(CsvSource source, size_t iMaxRow = kDefaultMaxRow);
  CsvReader(const CsvReader&) = delete;
  CsvReader& operator=(const CsvReader&) = delete;

  // Reads the next row into `*fields` (each field's text with its quotes
  // taken off and doubled quotes made single; line breaks inside quotes kept
  // as they are). Empty lines are passed over. A quote inside an unquoted
  // field, or text after a closing quote, is taken as text. After kNotText,
  // kUtf16 or kFailed every later call answers the same.
  CsvStatus Next(std::vector<std::string>* fields);

  // The separator in use (known once Next has been called).
  char Separator() const { return separator_; }

 private:
  // Makes at least one more byte available; false at the end or on failure
  // (failed_ set).
  bool More();
  // Reads the start of the input: the byte-order mark and the separator.
  CsvStatus Start();

  CsvSource source_;
  size_t max_row_;
  std::vector<char> buffer_;
  size_t pos_ = 0;
  size_t end_ = 0;
  bool started_ = false;
  bool at_end_ = false;
  bool failed_ = false;
  CsvStatus sticky_ = CsvStatus::kRow;  // a final status, once there is one
  char separator_ = ',';
  // For each byte, whether it ends a run of bytes that stand for
  // themselves: inside quotes (kStopsQuoted) or outside (kStopsPlain).
  unsigned char stops_[256] = {};
};

// Appends `value` to `*out` as one CSV field: in double quotes (each quote
// doubled) when it holds a comma, a quote, CR or LF, or starts or ends with
// a space; as it is otherwise.
void AppendCsvField(std::string_view value, std::string* out);

// Appends the fields, comma-separated, and CR LF.
void AppendCsvRow(const std::vector<std::string>& fields, std::string* out);

// A value a spreadsheet would run as a formula (after any apostrophes it
// starts with, its first byte is "=", "+", "-" or "@") gets one more
// apostrophe in front, so that it shows as text; every other value is
// returned as it is. UnguardFormula takes that apostrophe off again:
// UnguardFormula(GuardFormula(v)) == v for every v.
std::string GuardFormula(std::string_view value);
std::string UnguardFormula(std::string_view value);

#endif  // FLORRIN_APP_EXPORT_CSV_H_
