// A small in-memory model of the store file: the text of "db" and what each
// store operation makes of it, computed straight from the file format's
// rules on a list of lines. The store fuzz target compares the real
// operations with it.
//
// The line rules it follows: a line ends at each "\n"; its text is the bytes
// before that "\n" less one "\r" directly before it; the bytes after the
// last "\n" are the last line, "\r" and all. A rewrite copies every line it
// keeps with its own line end ("\r\n" or "\n"; the last line gets "\n"), and
// every line the store writes ends in "\n" (the Linux line end).
#ifndef FLORRIN_FUZZ_STORE_MODEL_H_
#define FLORRIN_FUZZ_STORE_MODEL_H_

#include <string>
#include <vector>

namespace fuzz {

// One outcome of an operation: its result, the file after it and what it
// printed.
struct Outcome {
  bool bOk = false;
  std::string sValue;  // getRec's value, "!not found!" on failure
  std::string sFile;
  std::string sPrinted;
};

// The eleven values of a movie record, in field order.
using MovieValues = std::vector<std::string>;

// One line of the file: its text and its line end as they stand ("\r\n",
// "\n", or empty for the last line).
struct Line {
  std::string sText;
  std::string sEnd;
  // The line as a rewrite copies it.
  std::string Copied() const { return sText + (sEnd.empty() ? "\n" : sEnd); }
};

class StoreModel {
 public:
  explicit StoreModel(std::string sFile) : file_(std::move(sFile)) {}

  const std::string& File() const { return file_; }
  void SetFile(std::string sFile) { file_ = std::move(sFile); }

  // What each operation gives on the current file; the model's file is not
  // changed (the caller adopts the outcome the store chose).
  Outcome GetRec(const std::string& sRec, const std::string& sField) const;
  Outcome EditRec(const std::string& sRec, const std::string& sField,
                  const std::string& sValue) const;
  Outcome AddField(const std::string& sRec, const std::string& sValue) const;
  Outcome AddMovie(const std::string& sRec, const MovieValues& values) const;
  Outcome DelRec(const std::string& sRec) const;
  Outcome ChangeRec(const std::string& sRec, const MovieValues& values) const;
  Outcome PrintRec(const std::string& sRec) const;
  // A line whose first byte is "[" names the current record.
  Outcome PrintFilter(const std::string& sField,
                      const std::string& sWanted) const;

  // The outcome of an operation that refuses: false, file unchanged.
  Outcome Refused() const;

 private:
  std::vector<Line> Lines() const;
  // The number of the record's header line (the first line that begins
  // with "[" and has the bracket name `sRec`), or -1.
  long Header(const std::vector<Line>& lines, const std::string& sRec) const;
  // The number of the line that ends the body after header line `h`.
  static size_t BodyEnd(const std::vector<Line>& lines, size_t h);
  Outcome Append(const std::string& sRec, const std::string& sBody) const;

  std::string file_;
};

}  // namespace fuzz

#endif  // FLORRIN_FUZZ_STORE_MODEL_H_
