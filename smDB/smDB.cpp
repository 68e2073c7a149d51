#include "smDB.h"

#include <initializer_list>
#include <string_view>

#include "line-reader.h"
#include "record-lines.h"
#include "scratch-file.h"

namespace {

// The movie record's body: the eleven values as "key=value" lines joined by
// "\n", in field order, with no line end after the last one. False when the
// title or any value holds a line break, which would forge lines.
bool MovieBody(const sString& sRec, const sString& sPlot, const sString& sTag,
               const sString& sRate, const sString& sYear,
               const sString& sDir, const sString& sTime,
               const sString& sComm, const sString& sPic, const sString& sAct,
               const sString& sGen, const sString& sType, sString* pBody) {
  for (const sString* pValue : {&sRec, &sPlot, &sTag, &sRate, &sYear, &sDir,
                                &sTime, &sComm, &sPic, &sAct, &sGen, &sType})
    if (HasLineBreak(*pValue)) return false;
  *pBody = "plot=" + sPlot + "\ntagline=" + sTag + "\nrate=" + sRate +
           "\nyear=" + sYear + "\ndirector=" + sDir + "\nruntime=" + sTime +
           "\ncomments=" + sComm + "\npic=" + sPic + "\nAct=" + sAct +
           "\nGenre=" + sGen + "\nType=" + sType;
  return true;
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
  sString sBody;
  if (!opened || !MovieBody(sRec, sPlot, sTag, sRate, sYear, sDir, sTime,
                            sComm, sPic, sAct, sGen, sType, &sBody))
    return false;
  if (isRec(sRec)) return false;
  return AppendRecord(DBfile, sRec, sBody);
}

bool smDB::changeRec(const sString& sRec, const sString& sPlot,
                     const sString& sTag, const sString& sRate,
                     const sString& sYear, const sString& sDir,
                     const sString& sTime, const sString& sComm,
                     const sString& sPic, const sString& sAct,
                     const sString& sGen, const sString& sType) {
  sString sBody;
  if (!opened || !MovieBody(sRec, sPlot, sTag, sRate, sYear, sDir, sTime,
                            sComm, sPic, sAct, sGen, sType, &sBody))
    return false;
  LineReader reader;
  ScratchFile scratch("tmpfl");
  // The header line is kept and followed by the new body and an empty line.
  std::string_view header;
  if (!BeginRecordRewrite(DBfile, sRec, &reader, &scratch, &header))
    return false;
  scratch.WriteLine(header);
  scratch.Write(sBody);
  scratch.Write("\n\n");
  return FinishRecordRewrite(DBfile, &reader, &scratch);
}
