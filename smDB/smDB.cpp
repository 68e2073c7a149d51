#include "smDB.h"

#include <string_view>

#include "line-end.h"
#include "line-reader.h"
#include "movie-fields.h"
#include "movie-rewrite.h"
#include "record-lines.h"
#include "scratch-file.h"

namespace {

// The movie record's body: the eleven values as "key=value" lines joined by
// the system's line end, in field order, with no line end after the last one. False when the
// title is not a record name (empty, or holding "]" or a line break) or any
// value holds a line break, which would forge lines.
bool MovieBody(const sString& sRec, const sString& sPlot, const sString& sTag,
               const sString& sRate, const sString& sYear,
               const sString& sDir, const sString& sTime,
               const sString& sComm, const sString& sPic, const sString& sAct,
               const sString& sGen, const sString& sType, sString* pBody) {
  const sString* const pValues[kMovieFields] = {
      &sPlot, &sTag, &sRate, &sYear, &sDir, &sTime,
      &sComm, &sPic, &sAct,  &sGen,  &sType};
  if (!IsRecordName(sRec)) return false;
  for (const sString* pValue : pValues)
    if (HasLineBreak(*pValue)) return false;
  pBody->clear();
  for (int i = 0; i < kMovieFields; ++i) {
    if (i > 0) pBody->append(kLineEnd);
    pBody->append(kMovieKeys[i]).append("=").append(*pValues[i]);
  }
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
  // The header line is kept and followed by the new body, the record's own
  // id lines (they tie it to its movie, which a change of its texts does
  // not untie) and an empty line.
  return RewriteMovieRecord(DBfile, sRec, sBody, false, sString(), sString());
}
