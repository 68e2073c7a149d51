#include "download.h"

#include <charconv>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "download-guard.h"
#include "download-parts.h"
#include "downloader.h"

namespace {

// The download time limit when the environment sets none, and the largest
// one taken from it.
const int kDefaultDownloadTimeout = 60;
const unsigned long kMaxDownloadTimeout = 86400;

}  // namespace

DownloadResult Download(const DownloadRequest& given) {
  DownloadRequest request = given;
  if (request.iTimeoutSeconds < 1) request.iTimeoutSeconds = 1;
  if (request.iMaxBytes < 0) request.iMaxBytes = 0;
  const DownloaderChoice choice =
      ChooseDownloader(std::getenv("FLORRIN_DOWNLOADER"));

  bool bBroken = HasLineBreak(request.sURL) || request.sURL.empty();
  for (const sString& header : request.headers) {
    bBroken = bBroken || HasLineBreak(header);
  }
  if (bBroken || choice.sProgram.empty()) {
    std::remove(request.sFile.c_str());
    DownloadResult result;
    result.sFailure = bBroken ? "the address or a header cannot be sent"
                              : "no downloader found (wget or curl)";
    return result;
  }
  // Guarded from before the downloader starts until the result is known:
  // a partial file must not outlive Florrin.
  InstallDownloadGuard();
  const GuardedPath partial(request.sFile, GuardedKind::kFile);
  return choice.kind == DownloaderKind::kCurl
             ? DownloadWithCurl(request, choice)
             : DownloadWithWget(request, choice);
}

int DownloadTimeout(const char* value) {
  if (value == nullptr || *value == '\0') return kDefaultDownloadTimeout;
  const char* const end = value + std::char_traits<char>::length(value);
  // Unsigned: no sign is taken.
  unsigned long iSeconds = 0;
  const std::from_chars_result r = std::from_chars(value, end, iSeconds);
  if (r.ec != std::errc() || r.ptr != end || iSeconds < 1 ||
      iSeconds > kMaxDownloadTimeout) {
    return kDefaultDownloadTimeout;
  }
  return static_cast<int>(iSeconds);
}
