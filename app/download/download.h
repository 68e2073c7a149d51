// One download through the outside downloader (wget, or curl where wget is
// missing or not wanted): the single way every import reaches the network.
//
// The downloader is a separate program, so everything it is told passes
// through its command line, its environment or files. Addresses and headers
// of the movie service may hold the user's secret (a key in the query, a
// token in a header); those never go on a command line, nor into a file that
// outlives the download, nor into the catalogue folder.
#ifndef FLORRIN_APP_DOWNLOAD_H_
#define FLORRIN_APP_DOWNLOAD_H_

#include <cstdint>
#include <vector>

#include "lmr.h"

// The most bytes a page or a service's answer may hold, and a poster. No
// real one comes near; a download that grows past its limit is stopped at
// once and fails, so that no server can fill the disk.
constexpr int64_t kMaxPageBytes = 16 * 1024 * 1024;
constexpr int64_t kMaxPosterBytes = 20 * 1024 * 1024;

// What to fetch, and how.
struct DownloadRequest {
  // The document's address. With `bPrivate` it may hold a secret.
  sString sURL;
  // Where the document is saved (relative to the current folder, or whole).
  sString sFile;
  // Extra request headers, each "Name: value". With `bPrivate` they may hold
  // a secret.
  std::vector<sString> headers;
  // True for a request that carries a secret: the address, the headers and
  // the downloader's log pass only through files in a private temporary
  // folder (readable by the user alone), removed before Download returns.
  // False for a plain page: the log may be the working file "tempout".
  bool bPrivate = false;
  // False: a redirect is not followed (an answer 3xx fails the download). An
  // authorization header must never be sent on to another host.
  bool bFollowRedirects = true;
  // True: when the server answers with an HTTP error, its body is still
  // saved in `sFile` for the caller to read (the download still fails).
  // wget keeps no body of a 401 answer whatever it is told: there `sFile`
  // may be empty. False: on any failure `sFile` does not exist afterwards.
  bool bKeepErrorBody = false;
  // The whole download's time limit in seconds (1 or more): the downloader
  // is ended, with whatever it started, when it passes.
  int iTimeoutSeconds = 60;
  // The most bytes the document may hold: the downloader is ended as soon
  // as `sFile` holds more (it never holds more than one byte more on POSIX,
  // nor more than about 1 MiB more on Windows), and the download fails.
  int64_t iMaxBytes = kMaxPageBytes;
};

// What came of a download.
struct DownloadResult {
  // True only when the downloader ended by itself within the limit, with
  // exit status 0, and the document was saved. On false, `sFile` exists
  // only when the request kept an error body and the server sent one.
  bool bSaved = false;
  // The status of the server's last answer (200, 404, 429...), 0 when none
  // is known (no connection, no answer, or the downloader did not start).
  int iHttpStatus = 0;
  // The seconds of a Retry-After header in the last answer, -1 when it had
  // none (or not as whole seconds).
  int iRetryAfter = -1;
  // When the download failed, one short line for the user's log saying
  // why, such as "wget exited with status 4" or "time limit of 60 s passed";
  // never holds a secret. Empty on success.
  sString sFailure;
};

// Fetches `request.sURL` into `request.sFile` with the chosen downloader and
// reports what came of it. Never prints anything, never throws. An address
// or header holding a line break (or NUL) is refused before any request.
// While it runs, `request.sFile` is guarded (download-guard.h): if Florrin
// is ended meanwhile, the downloader is ended and the file removed, with
// every private file of the download.
// The downloader is wget, or curl where the system has no wget (Windows) or
// FLORRIN_DOWNLOADER=curl asks for it; see ChooseDownloader.
DownloadResult Download(const DownloadRequest& request);

// The time limit of one download, in seconds, from the value of the
// environment variable FLORRIN_DOWNLOAD_TIMEOUT (`value`, null when it is not
// set): a whole number of seconds from 1 to 86400, written in decimal digits
// only; anything else, or no value, gives 60.
int DownloadTimeout(const char* value);

#endif  // FLORRIN_APP_DOWNLOAD_H_
