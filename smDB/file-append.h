// Appending to a file all or nothing.
//
// A record is appended in one piece or not at all: when the disk fills up (or
// any other write fails) part-way, the file is cut back to its old length, so
// no half record is left behind to block its name. The system calls live in
// file-append_<platform>.cpp.
#ifndef FLORRIN_SMDB_FILE_APPEND_H_
#define FLORRIN_SMDB_FILE_APPEND_H_

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "lmr.h"

// Appends `sBytes` to the end of the existing file `sFile`, as they are (the
// caller brings the line ends). True when all of it was written. On false
// the file holds exactly what it held before: a partial write is cut off
// again and that cut flushed to the disk.
bool AppendWhole(const sString& sFile, std::string_view sBytes);

// The system's side of AppendWhole (file-append_<platform>.cpp): one file,
// opened for writing at its end.
class AppendFile {
 public:
  AppendFile() = default;
  ~AppendFile();  // closes the file if still open
  AppendFile(const AppendFile&) = delete;
  AppendFile& operator=(const AppendFile&) = delete;

  // Opens the existing regular file `sFile` for appending bytes as they
  // are; never creates one. False when it does not exist, cannot be written,
  // or is no regular file (a pipe, a device, a folder), which is refused
  // without waiting for a pipe's reader.
  bool Open(const sString& sFile);
  // The file's length in bytes; -1 when it cannot be told.
  int64_t Length();
  // Writes up to `n` bytes of `p` at the end. How many were written, at
  // least one, or -1 on failure.
  int64_t WriteSome(const char* p, size_t n);
  // Waits until the file's data is on the disk.
  bool Sync();
  // Cuts the file back to its first `iLength` bytes.
  bool CutTo(int64_t iLength);
  // Closes the file; false when closing reports a failed write.
  bool Close();

 private:
  int fd_ = -1;
};

#endif  // FLORRIN_SMDB_FILE_APPEND_H_
