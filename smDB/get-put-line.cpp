#include "get-put-line.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <vector>

#include "file-faults.h"
#include "line-count.h"
#include "line-reader.h"
#include "read-open.h"
#include "scratch-file.h"

int del(const sString& sFile) {
  return std::remove(sFile.c_str()) == 0 ? 1 : 0;
}

int ren(const sString& sFile, const sString& sFileNew) {
  return std::rename(sFile.c_str(), sFileNew.c_str());
}

int GetNoOfLines(const sString& sFileName) {
  FILE* f = OpenForReading(sFileName);
  if (f == nullptr) return -1;
  // Counting needs no line assembly: scan big blocks for "\n" directly.
  std::vector<char> block(1 << 20);
  int64_t iCount = 0;
  // A file that fails a read (a folder, on POSIX, at the first one) cannot
  // be counted.
  bool bFailed = false;
  for (;;) {
    if (FileCallFails(FileCall::kRead)) {
      bFailed = true;
      break;
    }
    const size_t got = std::fread(block.data(), 1, block.size(), f);
    if (got == 0) {
      bFailed = std::ferror(f) != 0;
      break;
    }
    iCount = AddLineBreaks(iCount, std::string_view(block.data(), got));
  }
  std::fclose(f);
  return bFailed ? -1 : NarrowLineCount(iCount);
}

sString GetLine(const sString& sFileName, int LineNo) {
  const sString kErr = "!err GetLine!";
  if (LineNo < 0) return kErr;
  LineReader reader;
  if (!reader.Open(sFileName)) return kErr;
  std::string_view line;
  for (int64_t i = 0; reader.Next(&line); ++i)
    if (i == LineNo) return sString(line);
  return kErr;
}

bool PutLine(const sString& sFileName, int LineNo, const sString& strToWrite) {
  return ReplaceLine(sFileName, LineNo, strToWrite);
}

bool ReplaceLine(const sString& sFileName, int64_t LineNo,
                 std::string_view strToWrite) {
  return ReplaceLineOf(sFileName, LineNo, strToWrite, false);
}

bool ReplaceLineOf(const sString& sFileName, int64_t LineNo,
                   std::string_view strToWrite, bool bMustExist) {
  if (LineNo < 0) return false;
  // A file that exists but cannot be read is no empty file: writing the new
  // line over it would lose everything it holds.
  LineReader reader;
  const bool bOpen = reader.Open(sFileName);
  if (!bOpen && (reader.Failed() || bMustExist)) return false;
  ScratchFile scratch("tempout");
  if (!scratch.Open(sFileName)) return false;

  // One pass: copy the old lines, replacing entry LineNo on the way. The empty
  // last line of a file that ends with "\n" is not an entry; a missing file
  // has no entries.
  int64_t iEntries = 0;
  if (bOpen) {
    std::string_view line;
    for (;;) {
      // Whole lines before and after entry LineNo are copied as they stand.
      int64_t iSkipped = 0;
      if (iEntries < LineNo) {
        scratch.Write(reader.SkipLines(LineNo - iEntries, &iSkipped));
      } else if (iEntries > LineNo) {
        std::string_view whole = reader.SkipWholeLines();
        scratch.Write(whole);
        // Only the count relative to LineNo matters from here on.
        iSkipped = whole.empty() ? 0 : 1;
      }
      iEntries += iSkipped;
      if (!reader.Next(&line)) break;
      if (!reader.EndedByNewline() && line.empty()) break;
      if (iEntries == LineNo) {
        scratch.WriteLine(strToWrite);
      } else {
        scratch.CopyLine(line, reader.LineEnd());
      }
      ++iEntries;
    }
    reader.Close();
    if (reader.Failed()) {
      scratch.Discard();
      return false;
    }
  }
  // Pad with empty entries up to LineNo, then append the new one.
  for (; iEntries < LineNo; ++iEntries) scratch.WriteLine("");
  if (iEntries == LineNo) scratch.WriteLine(strToWrite);
  return scratch.PutInPlace();
}
