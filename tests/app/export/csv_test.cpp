// The CSV reader and writer, and the columns of exports and imports.
#include "csv.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "csv-columns.h"

namespace {

using Rows = std::vector<std::vector<std::string>>;

// Reads `text` in reads of at most `block` bytes; the rows, and the status
// that ended them.
Rows ReadAll(const std::string& text, size_t block, CsvStatus* pLast,
             size_t max_row = CsvReader::kDefaultMaxRow) {
  size_t at = 0;
  CsvReader reader(
      [&](char* buffer, size_t size) -> long {
        const size_t n = std::min({size, block, text.size() - at});
        std::copy(text.data() + at, text.data() + at + n, buffer);
        at += n;
        return static_cast<long>(n);
      },
      max_row);
  Rows rows;
  std::vector<std::string> row;
  for (;;) {
    const CsvStatus s = reader.Next(&row);
    if (s == CsvStatus::kTooLong) {
      rows.push_back({"<too long>"});
      continue;
    }
    if (s != CsvStatus::kRow) {
      *pLast = s;
      return rows;
    }
    rows.push_back(row);
  }
}

TEST(CsvReaderTest, ReadsRfc4180InAnyReadSize) {
  const struct {
    const char* what;
    std::string text;
    Rows rows;
  } kCases[] = {
      {"plain, CR LF", "a,b\r\nc,d\r\n", {{"a", "b"}, {"c", "d"}}},
      {"LF, last line without end", "a,b\nc,d", {{"a", "b"}, {"c", "d"}}},
      {"byte-order mark", "\xEF\xBB\xBFTitle,Year\r\nx,1\r\n",
       {{"Title", "Year"}, {"x", "1"}}},
      {"quoted separators and quotes", "\"a,b\",\"say \"\"hi\"\"\"\r\n",
       {{"a,b", "say \"hi\""}}},
      {"line breaks inside quotes kept", "\"one\r\ntwo\nthree\",x\n",
       {{"one\r\ntwo\nthree", "x"}}},
      {"empty fields and ragged rows", ",,\na\n\"\",b,c,d\n",
       {{"", "", ""}, {"a"}, {"", "b", "c", "d"}}},
      {"empty lines passed over", "a\n\n\r\nb\n", {{"a"}, {"b"}}},
      {"lone CR ends a row", "a\rb\r", {{"a"}, {"b"}}},
      {"quote inside unquoted text", "5\" disk,x\n", {{"5\" disk", "x"}}},
      {"text after a closing quote", "\"a\"b,c\n", {{"ab", "c"}}},
      {"unclosed quote runs to the end", "\"a,b\nc", {{"a,b\nc"}}},
      {"semicolons when the first line has no comma",
       "Title;Year\n\"a;b\";1,5\n", {{"Title", "Year"}, {"a;b", "1,5"}}},
      {"commas win when the first line has both", "a;b,c\n", {{"a;b", "c"}}},
      {"nothing at all", "", {}},
      {"only a byte-order mark", "\xEF\xBB\xBF", {}},
  };
  for (const auto& c : kCases) {
    for (size_t block : {size_t{1}, size_t{3}, size_t{1} << 16}) {
      CsvStatus last = CsvStatus::kRow;
      EXPECT_EQ(c.rows, ReadAll(c.text, block, &last)) << c.what << ", block " << block;
      EXPECT_EQ(CsvStatus::kEnd, last) << c.what;
    }
  }
}

TEST(CsvReaderTest, WhatIsNoCsvEndsTheRows) {
  const struct {
    const char* what;
    std::string text;
    size_t rows;
    CsvStatus last;
  } kCases[] = {
      {"NUL in the header", std::string("a\0b\n", 4), 0, CsvStatus::kNotText},
      {"NUL later", std::string("a\nb\nc\0\n", 7), 2, CsvStatus::kNotText},
      {"UTF-16 LE mark", "\xFF\xFET\0i\0", 0, CsvStatus::kUtf16},
      {"UTF-16 BE mark", "\xFE\xFF\0T\0i", 0, CsvStatus::kUtf16},
      {"UTF-16 without a mark", std::string("T\0i\0t\0", 6), 0,
       CsvStatus::kNotText},
  };
  for (const auto& c : kCases) {
    CsvStatus last = CsvStatus::kRow;
    EXPECT_EQ(c.rows, ReadAll(c.text, 2, &last).size()) << c.what;
    EXPECT_EQ(c.last, last) << c.what;
  }
}

TEST(CsvReaderTest, ARowOverTheLimitIsLeftOutAndTheNextOneRead) {
  CsvStatus last = CsvStatus::kRow;
  const std::string longField(40, 'x');
  const Rows rows = ReadAll("a,b\n\"" + longField + "\n" + longField +
                                "\",c\nd,e\n" + longField + "\n",
                            7, &last, 32);
  EXPECT_EQ((Rows{{"a", "b"}, {"<too long>"}, {"d", "e"}, {"<too long>"}}), rows);
  EXPECT_EQ(CsvStatus::kEnd, last);
}

TEST(CsvReaderTest, AFailedReadIsReportedAndStays) {
  int calls = 0;
  CsvReader reader([&](char* buffer, size_t) -> long {
    if (calls++ > 0) return -1;
    std::copy_n("a,b\nc", 5, buffer);
    return 5;
  });
  std::vector<std::string> row;
  EXPECT_EQ(CsvStatus::kRow, reader.Next(&row));
  EXPECT_EQ(CsvStatus::kFailed, reader.Next(&row));
  EXPECT_EQ(CsvStatus::kFailed, reader.Next(&row));
}

TEST(CsvWriterTest, QuotesOnlyWhatNeedsIt) {
  const struct {
    std::string value;
    std::string field;
  } kCases[] = {
      {"plain", "plain"},         {"", ""},
      {"a,b", "\"a,b\""},         {"say \"hi\"", "\"say \"\"hi\"\"\""},
      {"a\rb", "\"a\rb\""},       {"a\nb", "\"a\nb\""},
      {" lead", "\" lead\""},     {"trail ", "\"trail \""},
      {"in side", "in side"},     {"semi;colon", "semi;colon"},
  };
  for (const auto& c : kCases) {
    std::string out;
    AppendCsvField(c.value, &out);
    EXPECT_EQ(c.field, out) << c.value;
    // What the writer writes, the reader reads back.
    CsvStatus last = CsvStatus::kRow;
    const Rows back = ReadAll(out + ",x\r\n", 5, &last);
    ASSERT_EQ(1u, back.size()) << c.value;
    EXPECT_EQ(c.value, back[0][0]);
  }
  std::string row;
  AppendCsvRow({"a", "b c", ""}, &row);
  EXPECT_EQ("a,b c,\r\n", row);
}

TEST(CsvWriterTest, FormulasAreGuardedAndTheGuardComesOffAgain) {
  const struct {
    const char* value;
    const char* guarded;
  } kCases[] = {
      {"=HYPERLINK(\"x\")", "'=HYPERLINK(\"x\")"}, {"+1", "'+1"},
      {"-", "'-"},              {"@SUM(A1)", "'@SUM(A1)"},
      {"'=x", "''=x"},          {"'quoted'", "'quoted'"},
      {" - Drama", " - Drama"}, {"a=b", "a=b"},
      {"", ""},                 {"'", "'"},
  };
  for (const auto& c : kCases) {
    EXPECT_EQ(c.guarded, GuardFormula(c.value)) << c.value;
    EXPECT_EQ(c.value, UnguardFormula(GuardFormula(c.value))) << c.value;
  }
}

}  // namespace
