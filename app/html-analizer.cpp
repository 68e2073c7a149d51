#include "html-analizer.h"

#include "web-text.h"

const char kErrInFetch[] = "!err in fetch!";

sString htmlAnalyze(const sString& strFilename, const sString& strReq,
                    const sString& strTerm) {
  sString strText;
  if (!ReadTextFile(strFilename, &strText)) return kErrInFetch;

  // Line breaks never take part in a match nor in the collected field, so the
  // scan works on the text with all of them removed. The first match in that
  // text is where a window sliding one byte at a time would first equal the
  // marker.
  RemFromStr(&strText, "\n");

  // A longer (or empty) terminator never equals the one character read at a
  // time, so such a scan always runs off the end of the file.
  if (strTerm.size() != 1) return kErrInFetch;

  int iSt;
  if (strReq.empty()) {
    iSt = 0;
  } else {
    iSt = FindInStr(strText, strReq, 0);
    if (iSt < 0) return kErrInFetch;
    iSt += static_cast<int>(strReq.size());
  }
  const int iEnd = FindInStr(strText, strTerm, iSt);
  if (iEnd < 0) return kErrInFetch;
  return sString(std::string_view(strText).substr(iSt, iEnd - iSt));
}
