#include "html-analizer.h"

#include <vector>

#include "web-text.h"

const char kErrInFetch[] = "!err in fetch!";

namespace {

// The scan with a line feed as its terminator. Line feeds are skipped while
// the marker is sought, but the terminator is tested before a line feed is
// skipped, so the field ends at the first line feed after the marker.
sString ScanToLineFeed(const sString& strText, const sString& strReq) {
  size_t iSt = 0;  // where the field starts in `strText`
  if (!strReq.empty()) {
    // The text without its line feeds, and where each of its bytes stands in
    // `strText`.
    sString strJoined;
    std::vector<size_t> iFrom;
    for (size_t i = 0; i < strText.size(); ++i) {
      if (strText[i] == '\n') continue;
      strJoined.push_back(strText[i]);
      iFrom.push_back(i);
    }
    const int iFound = FindInStr(strJoined, strReq, 0);
    if (iFound < 0) return kErrInFetch;
    iSt = iFrom[iFound + strReq.size() - 1] + 1;
  }
  const int iEnd = FindInStr(strText, "\n", static_cast<int>(iSt));
  if (iEnd < 0) return kErrInFetch;
  return strText.substr(iSt, iEnd - iSt);
}

}  // namespace

sString htmlAnalyze(const sString& strFilename, const sString& strReq,
                    const sString& strTerm) {
  sString strText;
  if (!ReadTextFile(strFilename, &strText)) return kErrInFetch;
  if (strTerm == "\n") return ScanToLineFeed(strText, strReq);

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
