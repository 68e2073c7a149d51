// The movie service as a source: its API answers in JSON, its posters come
// from its image server. Every request goes through one fetch function (the
// outside downloader in the program, a fake in tests), so this file never
// touches the network itself.
#ifndef FLORRIN_APP_SERVICE_SOURCE_H_
#define FLORRIN_APP_SERVICE_SOURCE_H_

#include <functional>

#include "download.h"
#include "failure-log.h"
#include "movie-source.h"
#include "service-config.h"

// Makes one download; Download() in the program.
using FetchFunction = std::function<DownloadResult(const DownloadRequest&)>;
// Waits `iSeconds` seconds before a request is tried again.
using WaitFunction = std::function<void(int iSeconds)>;

class ServiceSource : public MovieSource {
 public:
  // `settings` must hold a credential. Each download may take
  // `iTimeoutSeconds`; `log` hears of each failed step.
  ServiceSource(ServiceSettings settings, FetchFunction fetch,
                WaitFunction wait, FailureLog log, int iTimeoutSeconds);

  // One "search/movie" request for `sTitle` (a trailing " (YYYY)" asks for
  // that release year and is not searched for). Matches list as
  // "title (YYYY) | /movie/ID || "; the pick is the first result whose title
  // or original title equals the words but for ASCII case, else the first.
  SearchAnswer Search(const sString& sTitle) override;

  // `sAddress` names a movie as ClassifyAddress reads it: by service id (one
  // details request) or by the movie site's id (a find request first).
  // kUnknown when the service answers that it knows no such id (an empty
  // find, a 404); kFetchFailed for any other failed request, or an answer
  // that is not what it should be. Never kRefused: a movie the service knows is
  // stored however empty its fields are.
  DetailsStatus Details(const sString& sAddress,
                        MovieDetails* pDetails) override;

  // The poster, from the image server (no credential goes with it).
  bool FetchPoster(const sString& sURL, const sString& sFile) override;

  // The answer file; for an import also wget's log of a plain download
  // (the poster's), "tempout".
  std::vector<sString> SearchFiles() const override;
  std::vector<sString> ImportFiles() const override;

  // The address of the API request for `sPathAndQuery` (such as
  // "movie/603?append_to_response=credits") without the secret: the base,
  // "/", the path and query, then "language=...". What the failure log says.
  sString PublicAddress(const sString& sPathAndQuery) const;

 private:
  // Makes the API request for `sPathAndQuery` and reads its answer into
  // `*pBody`, retrying after "429 Too Many Requests" as the service asks.
  // The answer passes through a file in a private temporary folder of the
  // request (download-folder.h), gone when this returns. False (with a line
  // in the log) when no answer came.
  bool Ask(const sString& sPathAndQuery, sString* pBody);

  ServiceSettings settings_;
  FetchFunction fetch_;
  WaitFunction wait_;
  FailureLog log_;
  int iTimeoutSeconds_;
  int iLastStatus_ = 0;  // the HTTP status of the last failed request
};

#endif  // FLORRIN_APP_SERVICE_SOURCE_H_
