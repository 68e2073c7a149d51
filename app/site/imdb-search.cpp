#include "imdb-search.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "download.h"
#include "html-analizer.h"
#include "web-text.h"

const char kSiteHost[] = "www.imdb.com";
const char kSearchFile[] = "imbd-search.htm";
const char kDownloadError[] = "!download error!";
const char kNothingFound[] = "!nothing found!";

namespace {

// The download time limit when the environment sets none, and the largest
// one taken from it.
const int kDefaultDownloadTimeout = 60;
const int kMaxDownloadTimeout = 86400;

// wget's own count of tries: one. A request is never sent twice on its
// own; a page cut short is a failed download.
const char kTries[] = "--tries=1";

bool IsCompletionLine(const sString& sLine) {
  return FindInStr(sLine, "' saved", 0) >= 0;
}

// Whether a log line tells of a success: the server's answer line, or the
// line that reports the saved file.
bool IsSuccessLine(const sString& sLine) {
  return FindInStr(sLine, "200 OK", 0) >= 0 || IsCompletionLine(sLine);
}

// Whether a link from a search page, put right after the host, stays on the
// site: a path. Anything else would make the host part of something else
// ("@elsewhere/..." a user name, ":1/..." a port) or a relative name.
bool IsSitePath(const sString& sLink) {
  return Left(sLink, 1) == "/" && Left(sLink, 2) != "//";
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
  bool bCompleted = false;
  for (const sString& sLine : lines) {
    if (IsSuccessLine(sLine)) ++check;
    if (IsCompletionLine(sLine)) bCompleted = true;
  }
  // One line is not enough: a successful download shows both the answer line
  // and the saved line. Answer lines alone are not enough either: wget
  // writes one for every try of a download that is cut short.
  return check >= 2 && bCompleted;
}

int DownloadTimeout(const char* value) {
  if (value == nullptr || *value == '\0') return kDefaultDownloadTimeout;
  long iSeconds = 0;
  for (const char* p = value; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return kDefaultDownloadTimeout;
    iSeconds = iSeconds * 10 + (*p - '0');
    if (iSeconds > kMaxDownloadTimeout) return kDefaultDownloadTimeout;
  }
  if (iSeconds < 1) return kDefaultDownloadTimeout;
  return static_cast<int>(iSeconds);
}

std::vector<sString> DownloaderArguments(const sString& URL,
                                         const sString& FileName,
                                         const sString& LogName,
                                         int iTimeoutSeconds) {
  // "--verbose" alone does not outdo "quiet = on" in a settings file.
  return {"--verbose",
          "--no-quiet",
          "--timeout=" + std::to_string(iTimeoutSeconds),
          kTries,
          "-O",
          FileName,
          "-o",
          LogName,
          "--",
          URL};
}

bool wget(const sString& URL, const sString& FileName, int64_t iMaxBytes) {
  // An address that begins with "-" would be read by the downloader as one of
  // its options, some of which read or write files of their own choosing. No
  // page has such an address, so it fails like an unreachable one.
  if (Left(URL, 1) == "-") {
    std::remove(FileName.c_str());
    return false;
  }
  DownloadRequest request;
  request.sURL = URL;
  request.sFile = FileName;
  request.iTimeoutSeconds =
      DownloadTimeout(std::getenv("FLORRIN_DOWNLOAD_TIMEOUT"));
  request.iMaxBytes = iMaxBytes;
  const bool bSaved = Download(request).bSaved;
  // Download removes the log it wrote; this removes one an earlier run left
  // when no downloader was found to start, as this function always has.
  std::remove("tempout");
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
    if (tmp2 == kErrInFetch || !IsSitePath(tmp2)) return kNothingFound;
    return kSiteHost + tmp2;
  }
  return kNothingFound;
}
