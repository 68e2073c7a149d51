#include "imdb-search.h"

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "download.h"
#include "html-analizer.h"

const char kSiteHost[] = "www.imdb.com";
const char kSearchFile[] = "imbd-search.htm";
const char kDownloadError[] = "!download error!";
const char kNothingFound[] = "!nothing found!";

namespace {

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
