#include "get-put-line.h"

#include <cstdio>
#include <cstring>
#include <string_view>
#include <vector>

#include "line-reader.h"
#include "scratch-file.h"

int del(const sString& sFile) {
  return std::remove(sFile.c_str()) == 0 ? 1 : 0;
}

int ren(const sString& sFile, const sString& sFileNew) {
  return std::rename(sFile.c_str(), sFileNew.c_str());
}

int GetNoOfLines(const sString& sFileName) {
  FILE* f = std::fopen(sFileName.c_str(), "r");
  if (f == nullptr) return -1;
  // Counting needs no line assembly: scan big blocks for "\n" directly.
  std::vector<char> block(1 << 20);
  int iCount = 0;
  size_t got = std::fread(block.data(), 1, block.size(), f);
  // A file that opens but fails its first read (a folder, on POSIX) cannot
  // be read.
  if (got == 0 && std::ferror(f)) {
    std::fclose(f);
    return -1;
  }
  for (; got > 0; got = std::fread(block.data(), 1, block.size(), f)) {
    const char* p = block.data();
    const char* end = p + got;
    while (p < end) {
      const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
      if (nl == nullptr) break;
      ++iCount;
      p = static_cast<const char*>(nl) + 1;
    }
  }
  std::fclose(f);
  return iCount;
}

sString GetLine(const sString& sFileName, int LineNo) {
  const sString kErr = "!err GetLine!";
  if (LineNo < 0) return kErr;
  LineReader reader;
  if (!reader.Open(sFileName)) return kErr;
  std::string_view line;
  for (int i = 0; reader.Next(&line); ++i)
    if (i == LineNo) return sString(line);
  return kErr;
}

bool PutLine(const sString& sFileName, int LineNo, const sString& strToWrite) {
  if (LineNo < 0) return false;
  ScratchFile scratch("tempout");
  if (!scratch.Open(sFileName)) return false;

  // One pass: copy the old lines, replacing entry LineNo on the way. The empty
  // last line of a file that ends with "\n" is not an entry; a missing file
  // has no entries.
  int iEntries = 0;
  LineReader reader;
  if (reader.Open(sFileName)) {
    std::string_view line;
    for (;;) {
      // Whole lines before and after entry LineNo are copied as they stand.
      int iSkipped = 0;
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
      scratch.WriteLine(iEntries == LineNo ? std::string_view(strToWrite)
                                           : line);
      ++iEntries;
    }
    reader.Close();
  }
  // Pad with empty entries up to LineNo, then append the new one.
  for (; iEntries < LineNo; ++iEntries) scratch.WriteLine("");
  if (iEntries == LineNo) scratch.WriteLine(strToWrite);
  return scratch.PutInPlace();
}
