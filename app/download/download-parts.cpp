// The pieces of a download that both downloaders share: reading the
// server's answer from a log or header file, and turning a run of the
// downloader into the caller's result.
#include "download-parts.h"

#include <charconv>
#include <cstdio>
#include <system_error>

#include "ascii.h"

namespace {

// The longest Retry-After taken as given; longer waits cannot fit any
// download's time limit anyway.
const unsigned long kMaxRetryAfter = 999999999;

// The three-digit status at `at` in `line`, followed by the line's end or a
// space; 0 when there is none.
int StatusAt(const sString& line, size_t at) {
  if (at + 3 > line.size()) return 0;
  for (size_t i = at; i < at + 3; ++i) {
    if (!IsDigit(line[i])) return 0;
  }
  if (at + 3 < line.size() && line[at + 3] != ' ' && line[at + 3] != '\r') {
    return 0;
  }
  return (line[at] - '0') * 100 + (line[at + 1] - '0') * 10 +
         (line[at + 2] - '0');
}

// The seconds of a Retry-After value: digits alone, spaces around them
// allowed; -1 for anything else (an HTTP date among them).
int RetrySeconds(const sString& value) {
  const char* p = value.data();
  const char* const end = p + value.size();
  while (p != end && (*p == ' ' || *p == '\t')) ++p;
  // Unsigned: no sign is taken.
  unsigned long seconds = 0;
  const std::from_chars_result digits = std::from_chars(p, end, seconds);
  if (digits.ec != std::errc() || seconds > kMaxRetryAfter) return -1;
  p = digits.ptr;
  while (p != end && (*p == ' ' || *p == '\t' || *p == '\r')) ++p;
  if (p != end) return -1;
  return static_cast<int>(seconds);
}

}  // namespace

HttpAnswer LastHttpAnswer(const std::vector<sString>& lines) {
  static const char kAwaiting[] = "awaiting response... ";
  HttpAnswer answer;
  for (const sString& line : lines) {
    size_t at = 0;
    while (at < line.size() && line[at] == ' ') ++at;
    if (StartsWithNoCase(line, at, "http/")) {
      const size_t space = line.find(' ', at);
      const int status =
          space == sString::npos ? 0 : StatusAt(line, space + 1);
      if (status != 0) answer = HttpAnswer{status, -1};
    } else if (StartsWithNoCase(line, at, "retry-after:")) {
      answer.iRetryAfter = RetrySeconds(line.substr(at + 12));
    } else {
      const size_t found = line.find(kAwaiting);
      if (found == sString::npos) continue;
      const int status = StatusAt(line, found + sizeof kAwaiting - 1);
      if (status != 0) answer = HttpAnswer{status, -1};
    }
  }
  return answer;
}

bool HasLineBreak(const sString& text) {
  return text.find_first_of(sString("\r\n\0", 3)) != sString::npos;
}

DownloaderLimits LimitsOf(const DownloadRequest& request) {
  DownloaderLimits limits;
  limits.iTimeoutSeconds = request.iTimeoutSeconds;
  limits.sFile = request.sFile;
  limits.iMaxBytes = request.iMaxBytes;
  return limits;
}

DownloadResult FinishDownload(const DownloadRequest& request,
                              DownloaderKind kind, const DownloaderRun& run,
                              bool bSaved, HttpAnswer answer) {
  DownloadResult result;
  // A document past its size limit is never saved, whatever the
  // downloader made of it.
  bSaved = bSaved && !run.bTooLarge;
  result.bSaved = bSaved;
  result.iHttpStatus = answer.iStatus;
  result.iRetryAfter = answer.iRetryAfter;
  // A body cut at the size limit is no whole error body either.
  const bool bErrorBody = request.bKeepErrorBody && answer.iStatus >= 400 &&
                          !run.bTooLarge;
  if (!bSaved && !bErrorBody) std::remove(request.sFile.c_str());
  if (bSaved) return result;

  const sString name = DownloaderName(kind);
  if (!run.bStarted) {
    result.sFailure = name + " could not be started";
  } else if (run.bTooLarge) {
    result.sFailure = "the document passed the size limit of " +
                      std::to_string(request.iMaxBytes) + " bytes";
  } else if (run.bTimedOut) {
    result.sFailure = "time limit of " +
                      std::to_string(request.iTimeoutSeconds) + " s passed";
  } else if (answer.iStatus != 0 &&
             (answer.iStatus < 200 || answer.iStatus > 299)) {
    result.sFailure =
        "the server answered with status " + std::to_string(answer.iStatus);
  } else if (run.iExitStatus != 0) {
    result.sFailure =
        name + " exited with status " + std::to_string(run.iExitStatus);
  } else {
    result.sFailure = name + " saved no document";
  }
  return result;
}

const char* DownloaderName(DownloaderKind kind) {
  return kind == DownloaderKind::kCurl ? "curl" : "wget";
}
