#include "smDB.h"

#include <cstdio>
#include <initializer_list>
#include <string_view>

#include "get-put-line.h"
#include "line-reader.h"
#include "record-lines.h"
#include "scratch-file.h"

namespace {

// The eleven values as "key=value" lines joined by "\n", in field order,
// with no line end after the last one.
sString MovieFields(const sString& sPlot, const sString& sTag,
                    const sString& sRate, const sString& sYear,
                    const sString& sDir, const sString& sTime,
                    const sString& sComm, const sString& sPic,
                    const sString& sAct, const sString& sGen,
                    const sString& sType) {
  return "plot=" + sPlot + "\ntagline=" + sTag + "\nrate=" + sRate +
         "\nyear=" + sYear + "\ndirector=" + sDir + "\nruntime=" + sTime +
         "\ncomments=" + sComm + "\npic=" + sPic + "\nAct=" + sAct +
         "\nGenre=" + sGen + "\nType=" + sType;
}

bool AnyLineBreak(std::initializer_list<const sString*> values) {
  for (const sString* pValue : values)
    if (HasLineBreak(*pValue)) return true;
  return false;
}

}  // namespace

smDB::smDB() { opened = false; }

smDB::~smDB() = default;

bool smDB::addRec(const sString& sRec, const sString& sPlot,
                  const sString& sTag, const sString& sRate,
                  const sString& sYear, const sString& sDir,
                  const sString& sTime, const sString& sComm,
                  const sString& sPic, const sString& sAct,
                  const sString& sGen, const sString& sType) {
  if (!opened) return false;
  if (AnyLineBreak({&sRec, &sPlot, &sTag, &sRate, &sYear, &sDir, &sTime,
                    &sComm, &sPic, &sAct, &sGen, &sType}))
    return false;
  if (isRec(sRec)) return false;
  sString sBlock = "\n\n[" + sRec + "]\n" +
                   MovieFields(sPlot, sTag, sRate, sYear, sDir, sTime, sComm,
                               sPic, sAct, sGen, sType);
  FILE* f = std::fopen(DBfile.c_str(), "a");
  if (f == nullptr) return false;
  std::fwrite(sBlock.data(), 1, sBlock.size(), f);
  bool bOk = std::fflush(f) == 0 && std::ferror(f) == 0;
  if (std::fclose(f) != 0) bOk = false;
  return bOk;
}

bool smDB::changeRec(const sString& sRec, const sString& sPlot,
                     const sString& sTag, const sString& sRate,
                     const sString& sYear, const sString& sDir,
                     const sString& sTime, const sString& sComm,
                     const sString& sPic, const sString& sAct,
                     const sString& sGen, const sString& sType) {
  if (!opened) return false;
  if (AnyLineBreak({&sRec, &sPlot, &sTag, &sRate, &sYear, &sDir, &sTime,
                    &sComm, &sPic, &sAct, &sGen, &sType}))
    return false;
  LineReader reader;
  if (!reader.Open(DBfile)) return false;
  del("tmpfl");
  ScratchFile scratch("tmpfl");
  if (!scratch.Open()) return false;

  // The header line is kept and followed by the new body; the old body, up
  // to the next line whose first byte is "[", is dropped.
  std::string_view line;
  bool wroteData = SeekHeader(&reader, sRec, &line, &scratch);
  if (!wroteData) {
    reader.Close();
    scratch.Discard();
    return false;
  }
  scratch.WriteLine(line);
  scratch.Write(MovieFields(sPlot, sTag, sRate, sYear, sDir, sTime, sComm,
                            sPic, sAct, sGen, sType));
  scratch.Write("\n\n");
  if (SkipBody(&reader, &line)) {
    scratch.WriteLine(line);
    CopyRest(&reader, &scratch);
  }
  reader.Close();
  return scratch.PutInPlaceOf(DBfile);
}
