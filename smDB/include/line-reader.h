// LineReader: hands out the lines of a text file in order, fast.
//
// Implements the line model of get-put-line.h exactly: lines end at "\n", and
// a "\r" directly before it belongs to the line end (neither is part of the
// line); the bytes after the last "\n" are always handed out as the last
// line, even when empty. The file is read as bytes, so no byte ends it early.
// It is read in large blocks and split with memchr; a line is a view into
// the reader's own storage.
#ifndef FLORRIN_SMDB_LINE_READER_H_
#define FLORRIN_SMDB_LINE_READER_H_

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "lmr.h"

// For scans over the whole lines a skip returns: where the text of the line
// holding position `i` of `sLines` ends, by the same rule as Next: at the
// next "\n", less a "\r" directly before it; at the end of `sLines` when no
// "\n" follows.
size_t LineTextEnd(std::string_view sLines, size_t i);

class LineReader {
 public:
  // The usual read block: large, so a big catalogue takes few library calls.
  static constexpr size_t kDefaultBlockSize = 1 << 16;

  LineReader() : LineReader(kDefaultBlockSize) {}
  // Reads in blocks of `iBlockSize` bytes (at least 1). Tests pass tiny
  // blocks so that lines and searches cross block edges often.
  explicit LineReader(size_t iBlockSize);
  ~LineReader();
  LineReader(const LineReader&) = delete;
  LineReader& operator=(const LineReader&) = delete;

  // Opens `sFile` for reading as bytes (see read-open.h) and reads its
  // first block. False when it cannot be opened or that read fails (a
  // folder, on some systems); Missing and Failed then tell why.
  bool Open(const sString& sFile);

  // True after an Open that failed because no file of that name exists.
  bool Missing() const { return missing_; }

  // True when the file exists but could not be opened, or a read failed.
  // A failed read ends the lines at once: Next reports no more lines and
  // hands out nothing of a line it had begun, so a caller that checks
  // Failed after its scan never takes part of the file for all of it.
  bool Failed() const { return failed_; }

  // Closes the file; Next then reports no more lines. Safe to call twice.
  void Close();

  // Stores the next line in `*line` and returns true, or returns false after
  // the last line has been handed out. `*line` stays valid until the next
  // call of Next or Close. A read error ends the lines too (see Failed).
  bool Next(std::string_view* line);

  // True when the line last handed out was ended by "\n", i.e. it is not the
  // file's last line.
  bool EndedByNewline() const { return ended_by_newline_; }

  // The line end of the line last handed out, as it stands in the file:
  // "\r\n", "\n", or empty for the last line. Rewrites copy it unchanged.
  std::string_view LineEnd() const {
    return !ended_by_newline_ ? "" : ended_by_crlf_ ? "\r\n" : "\n";
  }

  // Fast paths for scans that care about few lines. Each skips whole lines
  // that are already read into memory and returns the skipped bytes, every
  // skipped line with its line end (empty when nothing could be skipped). The
  // next Next call then hands out the line after them. The returned view,
  // and a line handed out before, stay valid until the next call of any
  // member. Callers loop: skip, then Next, until Next reports the end.
  //
  // Skips the lines before the first one that holds `needle` (or `other`,
  // when given non-empty) as a substring. An empty `needle` skips nothing.
  std::string_view SkipToLineWith(std::string_view needle,
                                  std::string_view other = {});
  // Skips up to `iMax` lines; `*pSkipped` tells how many.
  std::string_view SkipLines(int64_t iMax, int64_t* pSkipped);
  // Skips every line that is wholly read into memory.
  std::string_view SkipWholeLines();

 private:
  // A substring searcher, kept so that a scan does not copy its needle on
  // every search. It remembers its last search: a scan that searches again
  // from a later point, before the hit found last time, gets that hit
  // without searching the same bytes again.
  class Needle {
   public:
    // Sets the text to find; a new text forgets the last search.
    void Set(std::string_view text);
    // Forgets the last search: the memory it looked at has changed.
    void Forget() { from_ = nullptr; }
    // First position of the text in [begin, end), or null.
    const char* Find(const char* begin, const char* end);

   private:
    sString text_;
    // The last search looked at [from_, to_) and found hit_ there first, or
    // nothing (hit_ null). from_ is null when there is nothing to remember.
    const char* from_ = nullptr;
    const char* to_ = nullptr;
    const char* hit_ = nullptr;
  };

  // Skips the buffered bytes up to `upto`, a line start, and returns them.
  std::string_view SkipTo(size_t upto);

  // Reads the next block into the buffer; false at end of file or on error
  // (failed_ set).
  bool Fill();

  FILE* file_;
  size_t block_size_;
  std::vector<char> buffer_;
  size_t pos_;
  size_t end_;
  sString carry_;        // a line that spans blocks is assembled here
  bool carry_handed_;    // carry_ was handed out and must be cleared first
  bool done_;            // the last line has been handed out
  bool missing_;         // Open found no such file
  bool failed_;          // the file could not be opened or read
  bool ended_by_newline_;
  bool ended_by_crlf_;   // ... and a "\r" stood before that "\n"
  Needle needle_;
  Needle other_;
};

#endif  // FLORRIN_SMDB_LINE_READER_H_
