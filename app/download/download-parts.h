// The pieces of Download shared by its two downloaders, and each
// downloader's own way of fetching: for the download layer's own files and
// their tests only.
#ifndef FLORRIN_APP_DOWNLOAD_PARTS_H_
#define FLORRIN_APP_DOWNLOAD_PARTS_H_

#include <vector>

#include "download.h"
#include "downloader.h"
#include "lmr.h"

// The status and Retry-After seconds of the last HTTP answer that the lines
// `lines` tell of: status 0 and Retry-After -1 when none does (Retry-After
// also -1 when that answer had none, or not as whole seconds). Lines are read as any of: an answer's status line
// ("HTTP/1.1 429 Too Many Requests", leading spaces allowed, as wget -S and
// curl -D write them), wget's "awaiting response... 404 Not Found" line, and a
// "Retry-After: 5" header line (any case), which belongs to the answer above
// it. A status line starts a new answer.
struct HttpAnswer {
  int iStatus = 0;
  int iRetryAfter = -1;
};
HttpAnswer LastHttpAnswer(const std::vector<sString>& lines);

// True for a header "Name: value" or an address that could not be passed on
// whole: one holding a line break or a NUL byte.
bool HasLineBreak(const sString& text);

// The limits of a run of the downloader for `request`: its time limit, and
// its size limit on its document's file.
DownloaderLimits LimitsOf(const DownloadRequest& request);

// What is left for the caller once the downloader has run: removes
// `request.sFile` unless the download is `bSaved`, or the request keeps the
// error body and `iHttpStatus` is an HTTP error (400 or more) and the file
// exists and was not cut at its size limit (a document past that limit is
// never `bSaved`); then fills the result, with the
// failure line built from what is known (size limit, time limit, status,
// exit status).
DownloadResult FinishDownload(const DownloadRequest& request,
                              DownloaderKind kind, const DownloaderRun& run,
                              bool bSaved, HttpAnswer answer);

// True when the downloader's log `strLogFile`, read as text, holds two or
// more lines that each contain "200 OK" or "' saved" (a line holding both
// counts once), one of them the completion line, with "' saved". A log that
// cannot be read holds no such line.
bool WgetLogSaysSaved(const sString& strLogFile);

// The downloader's arguments for fetching `URL` into `FileName` with its log
// in `LogName`: the verbose log asked for explicitly (a user's settings file
// may turn it off, and the verdict is read from it), wget's own network time
// limit equal to `iTimeoutSeconds` and a single try, then the
// document and log files, then "--" and the address, last, so that no
// ordering rule of the option parser can take an option for an address.
std::vector<sString> DownloaderArguments(const sString& URL,
                                         const sString& FileName,
                                         const sString& LogName,
                                         int iTimeoutSeconds);

// Fetches with wget. A request that is private, or has headers, passes its
// address, headers and the user's own wget settings through files of a
// private folder, the log too; any other keeps the plain command line with
// "tempout" as the log, judged by WgetLogSaysSaved.
DownloadResult DownloadWithWget(const DownloadRequest& request,
                                const DownloaderChoice& choice);

// Fetches with curl; the address and headers always go through a private
// settings file, the answer's headers into a private file.
DownloadResult DownloadWithCurl(const DownloadRequest& request,
                                const DownloaderChoice& choice);

// The user's own wget settings (the system file, then the user's file, as
// wget reads them at its start), joined, each ending with a line end; empty
// when there are none. `wgetProgram` is where wget was found (on Windows
// wget looks beside itself).
sString UserWgetSettings(const sString& wgetProgram);

// The files wget reads at its start, when they exist, in its order: the
// system's settings (SYSTEM_WGETRC, or the system's own file), then the
// user's (WGETRC, or else .wgetrc in the home folder; on Windows wget.ini
// beside the wget program where there is no .wgetrc). `wgetProgram` is
// where wget was found.
std::vector<sString> WgetStartupFiles(const sString& wgetProgram);

// `text` as a double-quoted value of a curl settings file.
sString CurlQuoted(const sString& text);

#endif  // FLORRIN_APP_DOWNLOAD_PARTS_H_
