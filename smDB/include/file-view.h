// FileView: a file's whole lines, a block at a time, for a scan that reads
// the file once from start to end and looks at few of its lines.
//
// The file is read, not mapped into memory: another program may cut a file
// short while it is being scanned, and the pages of a mapping past the new
// end then fault (SIGBUS) when touched, ending the program, where a read just
// finds the end early. Reading in blocks that stay in the processor's cache
// keeps the copy cheap; the scan then searches each block in place instead
// of splitting it into lines.
#ifndef FLORRIN_SMDB_FILE_VIEW_H_
#define FLORRIN_SMDB_FILE_VIEW_H_

#include <string_view>

#include "line-reader.h"
#include "lmr.h"

// For tests: `hook` runs each time a view has opened its file, before the
// scan reads any of it, so that a test can change the file under the scan.
// Null ends that.
void SetFileViewOpenedHookForTest(void (*hook)());

class FileView {
 public:
  FileView() = default;
  FileView(const FileView&) = delete;
  FileView& operator=(const FileView&) = delete;

  // Opens `sFile` for reading as bytes (see read-open.h). False when it
  // does not exist or cannot be opened or read (a folder, say); Missing
  // tells which.
  bool Open(const sString& sFile);

  // Stores the next block of whole lines in `*pLines` and returns true, or
  // returns false after the last one. A block starts at a line start and
  // holds its lines with their line ends, except for the file's last line,
  // which has none, and a line that spans two reads, which comes on its own
  // without its line end. Line ends are as the line reader reads them
  // ("\r\n" or "\n"). Valid until the next call. Bytes the file no longer
  // holds when they are due to be read count as the end of the file.
  bool Next(std::string_view* pLines);

  // After a failed Open: true when the file does not exist, false when it is
  // there but could not be opened.
  bool Missing() const { return reader_.Missing(); }

  // True when a read failed: the lines handed out so far are not the whole
  // file, and a scan must not answer from them.
  bool Failed() const { return reader_.Failed(); }

 private:
  LineReader reader_;
  bool bLineNext_ = false;  // Next hands out the reader's next line
};

#endif  // FLORRIN_SMDB_FILE_VIEW_H_
