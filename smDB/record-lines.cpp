#include "record-lines.h"

#include <cstring>

std::string_view BracketName(std::string_view line) {
  int iOpen = FindInStr(line, "[", 0);
  int iStart = iOpen < 0 ? 0 : iOpen + 1;
  int iClose = FindInStr(line, "]", iStart);
  if (iClose < 0) return line;
  // A view rather than Mid's copy: this runs for every line of every scan.
  return line.substr(static_cast<size_t>(iStart),
                     static_cast<size_t>(iClose - iStart));
}

bool SplitField(std::string_view line, std::string_view* key,
                std::string_view* value) {
  int iEq = FindInStr(line, "=", 0);
  if (iEq < 0) return false;
  *key = line.substr(0, static_cast<size_t>(iEq));
  *value = line.substr(static_cast<size_t>(iEq) + 1);
  return true;
}

bool StartsRecord(std::string_view line) {
  return !line.empty() && line[0] == '[';
}

bool HasLineBreak(std::string_view sText) {
  return FindInStr(sText, "\n", 0) >= 0;
}

namespace {

int CountLineBreaks(std::string_view sText) {
  int iCount = 0;
  const char* p = sText.data();
  const char* end = p + sText.size();
  while (const void* nl =
             p < end ? std::memchr(p, '\n', static_cast<size_t>(end - p))
                     : nullptr) {
    ++iCount;
    p = static_cast<const char*>(nl) + 1;
  }
  return iCount;
}

}  // namespace

bool SeekHeader(LineReader* reader, const sString& sRec,
                std::string_view* header, ScratchFile* copy, int* pLines) {
  // A line whose bracket name is sRec holds sRec, so lines without it are
  // passed over in bulk.
  for (;;) {
    std::string_view skipped = reader->SkipToLineWith(sRec);
    if (copy != nullptr) copy->Write(skipped);
    if (pLines != nullptr) *pLines += CountLineBreaks(skipped);
    std::string_view line;
    if (!reader->Next(&line)) return false;
    if (BracketName(line) == sRec) {
      *header = line;
      return true;
    }
    if (copy != nullptr) copy->WriteLine(line);
    if (pLines != nullptr) ++*pLines;
  }
}

bool SkipBody(LineReader* reader, std::string_view* next) {
  for (;;) {
    reader->SkipToLineWith("[");
    if (!reader->Next(next)) return false;
    if (StartsRecord(*next)) return true;
  }
}

void CopyRest(LineReader* reader, ScratchFile* copy) {
  // Whole lines with their line ends are copied as they stand; only the last
  // line, which may lack one, needs adding it.
  for (;;) {
    copy->Write(reader->SkipWholeLines());
    std::string_view line;
    if (!reader->Next(&line)) return;
    copy->WriteLine(line);
  }
}
