// A whole file's bytes, for a scan that reads the file once from start to
// end.
//
// Where the system can, the file is mapped into memory rather than copied:
// a scan then reads the system's own cached copy of it, and the copy into a
// read buffer, close to half a large scan's time, is not made. The platform
// parts live in file-view_<platform>.cpp.
#ifndef FLORRIN_SMDB_FILE_VIEW_H_
#define FLORRIN_SMDB_FILE_VIEW_H_

#include <cstddef>
#include <cstdio>
#include <string_view>

#include "lmr.h"

class FileView {
 public:
  FileView() = default;
  ~FileView();
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;

  // Opens `sFile` for reading as bytes (see read-open.h) and makes all of
  // it visible through Bytes(). False when it cannot be opened or read (a
  // folder, say); Bytes() is then empty.
  bool Open(const sString& sFile);

  // The file's bytes as they were when it was opened; empty for an empty
  // file. Valid until the view is closed or destroyed.
  std::string_view Bytes() const { return {data_, size_}; }

 private:
  // Reads what is left of `file` into copy_ and points the view at it. False
  // on a read error.
  bool ReadRest(FILE* file);
  // Gives back what Open took.
  void Close();

  const char* data_ = nullptr;
  size_t size_ = 0;
  void* mapping_ = nullptr;  // the mapped pages, when the file is mapped
  sString copy_;             // the bytes, when the file was read instead
};

#endif  // FLORRIN_SMDB_FILE_VIEW_H_
