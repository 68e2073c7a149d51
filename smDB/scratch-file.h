// ScratchFile: the complete new content of a file, written under a fixed
// scratch name in the current directory and then put in place of the file.
#ifndef FLORRIN_SMDB_SCRATCH_FILE_H_
#define FLORRIN_SMDB_SCRATCH_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "lmr.h"

class ScratchFile {
 public:
  // Nothing is opened yet.
  explicit ScratchFile(const sString& sName);
  // Closes a scratch file that was neither put in place nor discarded; the
  // file is left behind as it is.
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Creates the scratch file empty (text mode), truncating what the name held.
  // False when it cannot be opened for writing.
  bool Open();

  // Appends `sText`, or `sText` followed by "\n". Write errors are remembered
  // and reported by PutInPlaceOf.
  void Write(std::string_view sText);
  void WriteLine(std::string_view sText);

  // Flushes the content to the disk, closes the scratch file and moves it
  // over `sTarget` in one atomic step. True when the new content is in place.
  // On false `sTarget` is unchanged and the scratch file holds what was
  // written.
  bool PutInPlaceOf(const sString& sTarget);

  // Closes and removes the scratch file.
  void Discard();

 private:
  // Counts `n` more bytes written; starts their write-back every few MB.
  void Wrote(size_t n);

  sString name_;
  FILE* file_;
  std::vector<char> buffer_;
  int64_t written_;       // bytes written to the stream so far
  int64_t written_back_;  // bytes whose write-back has been started
};

#endif  // FLORRIN_SMDB_SCRATCH_FILE_H_
