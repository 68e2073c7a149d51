#include "csv.h"

#include <algorithm>
#include <cstring>
#include <initializer_list>
#include <utility>

namespace {

// The size of one read from the source.
const size_t kReadBlock = 1 << 16;

// Bits of CsvReader::stops_.
const unsigned char kStopsQuoted = 1;
const unsigned char kStopsPlain = 2;

bool NeedsQuotes(std::string_view v) {
  if (v.find_first_of(",\"\r\n") != std::string_view::npos) return true;
  return !v.empty() && (v.front() == ' ' || v.back() == ' ');
}

bool StartsFormula(std::string_view v) {
  size_t i = 0;
  while (i < v.size() && v[i] == '\'') ++i;
  return i < v.size() &&
         (v[i] == '=' || v[i] == '+' || v[i] == '-' || v[i] == '@');
}

}  // namespace

CsvReader::CsvReader(CsvSource source, size_t iMaxRow)
    : source_(std::move(source)), max_row_(iMaxRow) {}

bool CsvReader::More() {
  if (pos_ < end_) return true;
  if (at_end_ || failed_) return false;
  // Bytes before pos_ are done with: the buffer only ever holds what has
  // not been read yet, except while the start is being looked at.
  pos_ = end_ = 0;
  if (buffer_.size() < kReadBlock) buffer_.resize(kReadBlock);
  const long n = source_(buffer_.data(), buffer_.size());
  if (n < 0) {
    failed_ = true;
    return false;
  }
  if (n == 0) {
    at_end_ = true;
    return false;
  }
  end_ = static_cast<size_t>(n);
  return true;
}

CsvStatus CsvReader::Start() {
  started_ = true;
  // Gather the first line (up to the row limit) to see the separator and
  // the byte-order mark.
  buffer_.resize(kReadBlock);
  for (;;) {
    if (std::memchr(buffer_.data(), '\n', end_) != nullptr) break;
    if (end_ > max_row_ || at_end_) break;
    if (buffer_.size() - end_ < kReadBlock) buffer_.resize(end_ + kReadBlock);
    const long n = source_(buffer_.data() + end_, buffer_.size() - end_);
    if (n < 0) return CsvStatus::kFailed;
    if (n == 0) at_end_ = true;
    end_ += static_cast<size_t>(n);
  }
  const std::string_view head(buffer_.data(), end_);
  if (head.substr(0, 2) == "\xFF\xFE" || head.substr(0, 2) == "\xFE\xFF")
    return CsvStatus::kUtf16;
  if (head.substr(0, 3) == "\xEF\xBB\xBF") pos_ = 3;
  const std::string_view line = head.substr(pos_, head.find('\n', pos_) - pos_);
  if (line.find(',') == std::string_view::npos &&
      line.find(';') != std::string_view::npos)
    separator_ = ';';
  for (const char c : {'"', '\0'})
    stops_[static_cast<unsigned char>(c)] = kStopsQuoted | kStopsPlain;
  for (const char c : {separator_, '\r', '\n'})
    stops_[static_cast<unsigned char>(c)] = kStopsPlain;
  return CsvStatus::kRow;
}

CsvStatus CsvReader::Next(std::vector<std::string>* fields) {
  fields->clear();
  if (sticky_ != CsvStatus::kRow) return sticky_;
  if (!started_) {
    const CsvStatus s = Start();
    if (s != CsvStatus::kRow) return sticky_ = s;
  }
  enum State { kFieldStart, kUnquoted, kQuoted, kQuoteInQuoted };
  State state = kFieldStart;
  std::string field;
  size_t iRow = 0;        // bytes of this row so far
  bool bTooLong = false;  // past the limit: read to the row's end only
  // After a byte that joined the field, the bytes after it that stand for
  // themselves too are taken in one go (within the buffer, and not past the
  // row limit, whose byte the loop below must see).
  const auto TakeRun = [&](bool bQuoted) {
    const size_t iRoom = bTooLong ? end_ - pos_ : max_row_ - iRow;
    const size_t iStop = pos_ + std::min(end_ - pos_, iRoom);
    const unsigned char stop = bQuoted ? kStopsQuoted : kStopsPlain;
    const char* const data = buffer_.data();
    size_t i = pos_;
    while (i < iStop &&
           (stops_[static_cast<unsigned char>(data[i])] & stop) == 0)
      ++i;
    if (!bTooLong) field.append(buffer_.data() + pos_, i - pos_);
    iRow += i - pos_;
    pos_ = i;
  };
  for (;;) {
    if (!More()) {
      if (failed_) return sticky_ = CsvStatus::kFailed;
      if (iRow == 0) return sticky_ = CsvStatus::kEnd;
      break;  // the last row, without a line end
    }
    const char c = buffer_[pos_++];
    if (c == '\0') return sticky_ = CsvStatus::kNotText;
    if (++iRow > max_row_ && !bTooLong) {
      bTooLong = true;
      field.clear();
      fields->clear();
    }
    bool bRowEnds = false;
    if (c == '\r' && state != kQuoted) {
      // CR LF, or a lone CR, ends the row.
      if (More() && buffer_[pos_] == '\n') ++pos_;
      bRowEnds = true;
    } else if (c == '\n' && state != kQuoted) {
      bRowEnds = true;
    } else if (state == kQuoted) {
      if (c == '"') {
        state = kQuoteInQuoted;
      } else {
        if (!bTooLong) field.push_back(c);
        TakeRun(true);
      }
    } else if (c == separator_) {
      if (!bTooLong) fields->push_back(std::move(field));
      field.clear();
      state = kFieldStart;
    } else if (c == '"' && state == kFieldStart) {
      state = kQuoted;
    } else if (c == '"' && state == kQuoteInQuoted) {
      if (!bTooLong) field.push_back('"');
      state = kQuoted;
    } else {
      if (!bTooLong) field.push_back(c);
      state = kUnquoted;
      TakeRun(false);
    }
    if (!bRowEnds) continue;
    // A line with nothing on it (its line end came first) is no row.
    if (iRow == 1) {
      iRow = 0;
      continue;
    }
    break;
  }
  if (bTooLong) {
    fields->clear();
    return CsvStatus::kTooLong;
  }
  fields->push_back(std::move(field));
  return CsvStatus::kRow;
}

void AppendCsvField(std::string_view value, std::string* out) {
  if (!NeedsQuotes(value)) {
    out->append(value);
    return;
  }
  out->push_back('"');
  for (char c : value) {
    if (c == '"') out->push_back('"');
    out->push_back(c);
  }
  out->push_back('"');
}

void AppendCsvRow(const std::vector<std::string>& fields, std::string* out) {
  for (size_t i = 0; i < fields.size(); ++i) {
    if (i > 0) out->push_back(',');
    AppendCsvField(fields[i], out);
  }
  out->append("\r\n");
}

std::string GuardFormula(std::string_view value) {
  if (!StartsFormula(value)) return std::string(value);
  return "'" + std::string(value);
}

std::string UnguardFormula(std::string_view value) {
  if (value.empty() || value[0] != '\'' || !StartsFormula(value))
    return std::string(value);
  return std::string(value.substr(1));
}
