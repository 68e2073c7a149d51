// A small in-memory model of the store file: the text of "db" and what each
// store operation makes of it, computed straight from the file format's
// rules on a list of lines. The store fuzz target compares the real
// operations with it.
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
  // A line holding "[" names the current record; `bAnywhere` says whether
  // anywhere on the line counts or only its first byte.
  Outcome PrintFilter(const std::string& sField, const std::string& sWanted,
                      bool bAnywhere) const;

  // The outcome of an operation that refuses: false, file unchanged.
  Outcome Refused() const;

 private:
  std::vector<std::string> Lines() const;
  // The number of the record's header line, or -1.
  long Header(const std::vector<std::string>& lines,
              const std::string& sRec) const;
  // The number of the line that ends the body after header line `h`.
  static size_t BodyEnd(const std::vector<std::string>& lines, size_t h);
  Outcome Append(const std::string& sRec, const std::string& sBody) const;

  std::string file_;
};

}  // namespace fuzz

#endif  // FLORRIN_FUZZ_STORE_MODEL_H_
