#include "imdb-search.h"

#include <cstdio>
#include <vector>

#include "downloader.h"
#include "html-analizer.h"
#include "web-text.h"

const char kSiteHost[] = "www.imdb.com";
const char kSearchFile[] = "imbd-search.htm";
const char kDownloadError[] = "!download error!";
const char kNothingFound[] = "!nothing found!";

namespace {

// The downloader's log; removed after every download.
const char kLogFile[] = "tempout";

// Whether a log line tells of a success: the server's answer line, or the
// line that reports the saved file.
bool IsSuccessLine(const sString& sLine) {
  return FindInStr(sLine, "200 OK", 0) >= 0 ||
         FindInStr(sLine, "' saved", 0) >= 0;
}

}  // namespace

void WebSpaces(sString* text) {
  for (char& c : *text) {
    if (c == ' ') c = '+';
  }
}

bool WgetLogSaysSaved(const sString& strLogFile) {
  std::vector<sString> lines;
  if (!ReadTextLines(strLogFile, &lines)) return false;
  int check = 0;
  for (const sString& sLine : lines) {
    if (IsSuccessLine(sLine)) ++check;
  }
  // One line is not enough: a successful download shows both the answer line
  // and the saved line.
  return check >= 2;
}

bool wget(const sString& URL, const sString& FileName) {
  // An address that begins with "-" would be read by the downloader as one of
  // its options, some of which read or write files of their own choosing. No
  // page has such an address, so it fails like an unreachable one.
  const bool bLooksLikeOption = Left(URL, 1) == "-";
  // A downloader that did not start wrote no log; a "tempout" left over from
  // an earlier run must not be taken for this download's.
  const bool bSaved = !bLooksLikeOption &&
                      RunDownloader(URL, FileName, kLogFile) &&
                      WgetLogSaysSaved(kLogFile);
  std::remove(kLogFile);
  if (!bSaved) std::remove(FileName.c_str());
  return bSaved;
}

sString SearchAddress(const sString& movieName) {
  return sString("http://") + kSiteHost + "/find?q=" + movieName + ";more=tt";
}

sString searchImdb(const sString& movieName) {
  const sString pURL = SearchAddress(movieName);
  if (!wget(pURL, kSearchFile)) {
    std::remove(kSearchFile);
    return kDownloadError;
  }
  return resultAnalyze(kSearchFile);
}

sString resultAnalyze(const sString& strFile) {
  static const char* const kHeadings[] = {
      "<p><b>Titles (Exact Matches)</b>",
      "<p><b>Popular Titles</b>",
      "<p><b>Titles (Approx Matches)</b>",
  };
  for (const char* strHeading : kHeadings) {
    const sString tmp = htmlAnalyze(strFile, strHeading, "<");
    if (tmp == kErrInFetch) continue;
    // The heading, whatever stands between it and the next tag, then the list
    // and its first link; the link runs up to its first "?".
    const sString tmp2 = htmlAnalyze(
        strFile, sString(strHeading) + tmp + "<ol><li>  <a href=\"", "?");
    // A heading without a list after it gives no address to download.
    if (tmp2 == kErrInFetch) return kNothingFound;
    return kSiteHost + tmp2;
  }
  return kNothingFound;
}
