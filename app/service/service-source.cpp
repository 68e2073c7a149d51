#include "service-source.h"

#include <cstdint>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "download-folder.h"
#include "service-address.h"
#include "service-json.h"
#include "service-text.h"
#include "whole-file.h"

namespace {

// The answer's file in the request's private folder.
const char kAnswerFile[] = "answer.json";

// Tries after the first for an answer "429 Too Many Requests".
const int kMaxRetries = 2;
// The wait before a retry when the answer does not say how long.
const int kDefaultRetryAfter = 1;

// The poster size asked of the image server.
const char kPosterSize[] = "w500";

// The answer's bytes; false when it cannot be read whole or holds more than
// a page may (the body then holds what was read, for the failure log).
bool ReadAnswer(const sString& sFile, sString* pBody) {
  return ReadWholeFile(sFile, kMaxPageBytes, TooLarge::kFirstPart, pBody) ==
         WholeFile::kRead;
}

// What the log says came of a failed download.
sString Outcome(const DownloadResult& r, const sString& sBody) {
  // An error status says it all, with the service's own words when it sent
  // some; without one, the downloader's reason.
  if (r.iHttpStatus != 0 && (r.iHttpStatus < 200 || r.iHttpStatus > 299)) {
    const sString sLine = "HTTP " + std::to_string(r.iHttpStatus);
    const sString sMessage = ReadStatusMessage(sBody);
    return sMessage.empty() ? sLine : sLine + ": " + sMessage;
  }
  return r.sFailure.empty() ? sString("the download failed") : r.sFailure;
}

}  // namespace

ServiceSource::ServiceSource(ServiceSettings settings, FetchFunction fetch,
                             WaitFunction wait, FailureLog log,
                             int iTimeoutSeconds)
    : settings_(std::move(settings)),
      fetch_(std::move(fetch)),
      wait_(std::move(wait)),
      log_(std::move(log)),
      iTimeoutSeconds_(iTimeoutSeconds) {}

sString ServiceSource::PublicAddress(const sString& sPathAndQuery) const {
  const char* sJoin = sPathAndQuery.find('?') == sString::npos ? "?" : "&";
  return settings_.sApiBase + "/" + sPathAndQuery + sJoin + "language=" +
         PercentEncode(settings_.sLanguage);
}

bool ServiceSource::Ask(const sString& sPathAndQuery, sString* pBody) {
  const sString sPublic = PublicAddress(sPathAndQuery);
  DownloadRequest request;
  request.sURL = sPublic;
  if (!settings_.sToken.empty()) {
    request.headers.push_back("Authorization: Bearer " + settings_.sToken);
  } else {
    request.sURL += "&api_key=" + PercentEncode(settings_.sKey);
  }
  request.headers.push_back("Accept: application/json");
  // The answer goes to a private folder of this request: never into the
  // catalogue's folder, where another run could take it for its own.
  DownloadFolder folder;
  if (!folder.ok()) {
    log_(sPublic + ": no private temporary folder could be made");
    pBody->clear();
    return false;
  }
  const sString sAnswer = folder.File(kAnswerFile);
  request.sFile = sAnswer;
  request.bPrivate = true;
  // The credential must not follow a redirect to another host.
  request.bFollowRedirects = false;
  request.bKeepErrorBody = true;
  request.iTimeoutSeconds = iTimeoutSeconds_;

  for (int iTry = 0;; ++iTry) {
    std::remove(sAnswer.c_str());
    const DownloadResult r = fetch_(request);
    const bool bRead = ReadAnswer(sAnswer, pBody);
    std::remove(sAnswer.c_str());
    if (r.bSaved && bRead) return true;
    iLastStatus_ = r.iHttpStatus;
    if (!r.bSaved) log_(sPublic + ": " + Outcome(r, *pBody));
    else log_(sPublic + ": the answer could not be read");
    if (!r.bSaved && r.iHttpStatus == 429 && iTry < kMaxRetries) {
      const int iWait =
          r.iRetryAfter >= 0 ? r.iRetryAfter : kDefaultRetryAfter;
      // A wait longer than a whole download may take is not worth it.
      if (iWait <= iTimeoutSeconds_) {
        wait_(iWait);
        continue;
      }
    }
    pBody->clear();
    return false;
  }
}

SearchAnswer ServiceSource::Search(const sString& sTitle) {
  SearchAnswer answer;
  sString sWords = ServiceWords(sTitle);
  sString sYear;
  sString sHintWords;
  if (SplitYearHint(sWords, &sHintWords, &sYear)) sWords = sHintWords;
  sString sQuery = "search/movie?query=" + PercentEncode(sWords) +
                   "&include_adult=false";
  if (!sYear.empty()) sQuery += "&primary_release_year=" + sYear;

  std::vector<ServiceMatch> results;
  {
    // The answer may be as large as the size cap: it goes once read.
    sString sBody;
    if (!Ask(sQuery, &sBody)) return answer;
    if (!ReadSearchAnswer(sBody, &results)) {
      log_(PublicAddress(sQuery) + ": the answer is no list of results");
      return answer;
    }
  }
  answer.bFetched = true;
  answer.bListed = !results.empty();
  const ServiceMatch* pPick = results.empty() ? nullptr : &results[0];
  for (const ServiceMatch& m : results) {
    SearchMatch match;
    match.sTitle = CatalogueText(m.sTitle);
    match.sYear = "(" + (m.sYear.empty() ? sString("????") : m.sYear) + ")";
    match.sLink = "/movie/" + m.sId;
    answer.matches.push_back(match);
  }
  for (const ServiceMatch& m : results) {
    if (SameTitle(m.sTitle, sWords) || SameTitle(m.sOriginalTitle, sWords)) {
      pPick = &m;
      break;
    }
  }
  if (pPick != nullptr) answer.sPick = "/movie/" + pPick->sId;
  return answer;
}

DetailsStatus ServiceSource::Details(const sString& sAddress,
                                     MovieDetails* pDetails) {
  sString sId;
  const AddressKind kind = ClassifyAddress(sAddress, &sId);
  if (kind == AddressKind::kOther) return DetailsStatus::kFetchFailed;
  sString sBody;
  if (kind == AddressKind::kImdbId) {
    const sString sQuery = "find/" + sId + "?external_source=imdb_id";
    if (!Ask(sQuery, &sBody)) return DetailsStatus::kFetchFailed;
    if (!ReadFindAnswer(sBody, &sId)) {
      log_(PublicAddress(sQuery) + ": the service knows no such movie");
      return DetailsStatus::kUnknown;
    }
  }
  const sString sQuery = "movie/" + sId + "?append_to_response=credits";
  if (!Ask(sQuery, &sBody)) {
    return iLastStatus_ == 404 ? DetailsStatus::kUnknown
                               : DetailsStatus::kFetchFailed;
  }
  ServiceMovie movie;
  if (!ReadMovieAnswer(sBody, &movie)) {
    log_(PublicAddress(sQuery) + ": the answer is no movie");
    return DetailsStatus::kFetchFailed;
  }
  MovieDetails d;
  d.sPlot = CatalogueText(movie.sPlot);
  d.sTag = CatalogueText(movie.sTag);
  d.sRate = movie.sRate;
  d.sYear = movie.sYear;
  d.sDir = CatalogueText(movie.sDir);
  d.sTime = movie.sTime;
  d.sAct = CatalogueText(movie.sAct);
  d.sGen = CatalogueText(movie.sGen);
  d.sTmdbId = movie.sTmdbId;
  d.sImdbId = movie.sImdbId;
  if (!movie.sPosterPath.empty())
    d.sPosterURL = settings_.sImageBase + kPosterSize + movie.sPosterPath;
  *pDetails = d;
  return DetailsStatus::kOk;
}

bool ServiceSource::FetchPoster(const sString& sURL, const sString& sFile) {
  DownloadRequest request;
  request.sURL = sURL;
  request.sFile = sFile;
  request.iTimeoutSeconds = iTimeoutSeconds_;
  request.iMaxBytes = kMaxPosterBytes;
  const DownloadResult r = fetch_(request);
  if (r.bSaved) return true;
  // A failed download leaves no file, by its contract; this makes sure.
  std::remove(sFile.c_str());
  log_(sURL + ": the poster: " + Outcome(r, sString()));
  return false;
}

std::vector<sString> ServiceSource::SearchFiles() const {
  // Its answers go to a private folder of the request, never beside the
  // catalogue.
  return {};
}

std::vector<sString> ServiceSource::ImportFiles() const {
  return {"tempout"};
}
