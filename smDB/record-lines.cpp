#include "record-lines.h"

#include "file-append.h"
#include "file-identity.h"
#include "line-count.h"

#include "line-end.h"

// The searches here run for every line of every scan: they use the views'
// own single-byte finds (memchr) rather than FindInStr's general search.

std::string_view BracketName(std::string_view line) {
  size_t iOpen = line.find('[');
  size_t iStart = iOpen == std::string_view::npos ? 0 : iOpen + 1;
  size_t iClose = line.find(']', iStart);
  if (iClose == std::string_view::npos) return line;
  return line.substr(iStart, iClose - iStart);
}

bool SplitField(std::string_view line, std::string_view* key,
                std::string_view* value) {
  size_t iEq = line.find('=');
  if (iEq == std::string_view::npos) return false;
  *key = line.substr(0, iEq);
  *value = line.substr(iEq + 1);
  return true;
}

bool StartsRecord(std::string_view line) {
  return !line.empty() && line[0] == '[';
}

bool HasLineBreak(std::string_view sText) {
  return sText.find('\n') != std::string_view::npos;
}

bool IsRecordName(std::string_view sRec) {
  return !sRec.empty() && sRec.find(']') == std::string_view::npos &&
         !HasLineBreak(sRec);
}

bool AppendRecord(const sString& sFile, std::string_view sRec,
                  std::string_view sBody) {
  // One write of the whole block, so that the record arrives in one piece.
  sString sBlock = kLineEnd;
  sBlock.append(kLineEnd).append("[").append(sRec).append("]");
  sBlock.append(kLineEnd).append(sBody);
  // A read-only catalogue is refused here as it is by the rewrites.
  if (!MayChange(sFile)) return false;
  return AppendWhole(sFile, sBlock);
}

bool IsHeaderOf(std::string_view line, std::string_view sRec) {
  return StartsRecord(line) && BracketName(line) == sRec;
}

bool SeekHeader(LineReader* reader, const sString& sRec,
                std::string_view* header, ScratchFile* copy,
                int64_t* pLines) {
  // A header line of sRec begins with "[" sRec "]", or, without a "]", is
  // sRec itself; lines holding neither are passed over in bulk.
  const sString sBracketed = "[" + sRec + "]";
  const bool bWholeLine = StartsRecord(sRec) &&
                          sRec.find(']') == sString::npos;
  const std::string_view sOther =
      bWholeLine ? std::string_view(sRec) : std::string_view();
  for (;;) {
    std::string_view skipped = reader->SkipToLineWith(sBracketed, sOther);
    if (copy != nullptr) copy->Write(skipped);
    if (pLines != nullptr) *pLines = AddLineBreaks(*pLines, skipped);
    std::string_view line;
    if (!reader->Next(&line)) return false;
    if (IsHeaderOf(line, sRec)) {
      *header = line;
      return true;
    }
    if (copy != nullptr) copy->CopyLine(line, reader->LineEnd());
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
    copy->CopyLine(line, reader->LineEnd());
  }
}

bool BeginRecordRewrite(const sString& sFile, const sString& sRec,
                        LineReader* reader, ScratchFile* scratch,
                        std::string_view* header) {
  if (!reader->Open(sFile)) return false;
  if (!scratch->Open(sFile)) return false;
  if (SeekHeader(reader, sRec, header, scratch)) return true;
  reader->Close();
  scratch->Discard();
  return false;
}

bool FinishRecordRewrite(LineReader* reader, ScratchFile* scratch) {
  std::string_view line;
  if (SkipBody(reader, &line)) {
    scratch->CopyLine(line, reader->LineEnd());
    CopyRest(reader, scratch);
  }
  reader->Close();
  // A read that failed cut the copy short: it must not replace the file.
  if (reader->Failed()) {
    scratch->Discard();
    return false;
  }
  return scratch->PutInPlace();
}
