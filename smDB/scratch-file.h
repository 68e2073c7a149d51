// ScratchFile: the complete new content of a file, written under a fixed
// scratch name beside the file it replaces and then put in its place, keeping
// what kind of file it is (see file-identity.h).
#ifndef FLORRIN_SMDB_SCRATCH_FILE_H_
#define FLORRIN_SMDB_SCRATCH_FILE_H_

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "lmr.h"

class ScratchFile {
 public:
  // Nothing is opened yet. `sName` is the scratch file's name, without a
  // folder: the file is made in the folder of the file it replaces.
  explicit ScratchFile(const sString& sName);
  // Discards a scratch file that was neither put in place nor discarded
  // (a rewrite cut short by an exception).
  ~ScratchFile();
  ScratchFile(const ScratchFile&) = delete;
  ScratchFile& operator=(const ScratchFile&) = delete;

  // Starts the new content of `sFile`: works out the file a rewrite of it
  // replaces (the target of a symbolic link), and creates the scratch file
  // empty beside that one, with its permissions, replacing what the scratch
  // name held. False, with nothing created, when the caller may not change
  // `sFile` (see MayChange), a link's target cannot be found, the scratch
  // name reaches the file to be replaced (by any name or link: SameFile),
  // or the scratch file cannot be created. `sFile` need not exist.
  bool Open(const sString& sFile);

  // Appends `sText`; `sText` followed by the system's line end; or a line as
  // it was read, `sText` followed by its own line end `sEnd` (the system's
  // when empty: the file's last line gets one). The file is written as
  // bytes. Write errors are remembered and reported by PutInPlace.
  void Write(std::string_view sText);
  void WriteLine(std::string_view sText);
  void CopyLine(std::string_view sText, std::string_view sEnd);

  // Flushes the content to the disk, closes the scratch file and moves it
  // over the file given to Open in one atomic step. True when the new content
  // is in place. On false that file is unchanged and the scratch file holds
  // what was written.
  bool PutInPlace();

  // Closes and removes an open scratch file.
  void Discard();

 private:
  // Counts `n` more bytes written; starts their write-back every few MB.
  void Wrote(size_t n);

  sString name_;
  sString path_;    // where the scratch file was made
  sString target_;  // the file it replaces
  FILE* file_;
  bool failed_;  // a write failed
  std::vector<char> buffer_;
  int64_t written_;       // bytes written to the stream so far
  int64_t written_back_;  // bytes whose write-back has been started
  int64_t next_write_;    // where the stream's buffer fills up next
};

#endif  // FLORRIN_SMDB_SCRATCH_FILE_H_
