// The CSV reader over arbitrary bytes, read in blocks of every size, with
// the column mapping over each row; and the writer against the reader: what
// it writes for a row reads back as that row, and a guarded value unguards
// to itself.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "csv-columns.h"
#include "csv.h"

namespace {

std::vector<std::vector<std::string>> ReadRows(const std::string& text,
                                               size_t block, size_t max_row) {
  size_t at = 0;
  CsvReader reader(
      [&](char* buffer, size_t size) -> long {
        const size_t n = std::min({size, block, text.size() - at});
        std::copy(text.data() + at, text.data() + at + n, buffer);
        at += n;
        return static_cast<long>(n);
      },
      max_row);
  std::vector<std::vector<std::string>> rows;
  std::vector<std::string> row;
  for (;;) {
    const CsvStatus s = reader.Next(&row);
    if (s == CsvStatus::kTooLong) continue;
    if (s != CsvStatus::kRow) break;
    rows.push_back(row);
  }
  return rows;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t block = 1 + data[0] % 17;
  const size_t max_row = 8 + data[1] * 4u;
  const std::string text(reinterpret_cast<const char*>(data) + 2, size - 2);
  const auto rows = ReadRows(text, block, max_row);
  if (rows.empty()) return 0;
  const CsvColumns columns(rows[0]);
  for (const auto& row : rows) {
    const CsvMovie m = columns.Read(row);
    for (const std::string& v : m.values)
      if (v.find('\n') != std::string::npos) std::abort();  // one line each
    for (const std::string& field : row) {
      if (UnguardFormula(GuardFormula(field)) != field) std::abort();
    }
    // A row of one empty field is an empty line, which no reader returns.
    if (row.size() == 1 && row[0].empty()) continue;
    // After a first line of its own, so that neither a byte-order mark nor
    // the separator is looked for in the row.
    std::string written = "h\r\n";
    AppendCsvRow(row, &written);
    const auto back = ReadRows(written, block, written.size() + 1);
    if (back.size() != 2 || back[1] != row) std::abort();
  }
  return 0;
}
