#include "site-source.h"

#include <cstdio>

#include "imdb-search.h"
#include "movie-details.h"
#include "print-imdb-search.h"

namespace {

// The working file that holds the downloaded title page.
const char kMovieFile[] = "imbd-movie.htm";

}  // namespace

SearchAnswer SiteSource::Search(const sString& sTitle) {
  SearchAnswer answer;
  std::remove(kSearchFile);
  const sString sURL = SearchAddress(sTitle);
  if (!wget(sURL, kSearchFile)) {
    std::remove(kSearchFile);
    log_(sURL + ": the search page could not be downloaded");
    return answer;
  }
  answer.bFetched = true;
  answer.bListed = ReadSearchListing(kSearchFile, &answer.matches);
  const sString sPick = resultAnalyze(kSearchFile);
  if (sPick != kNothingFound) answer.sPick = sPick;
  return answer;
}

DetailsStatus SiteSource::Details(const sString& sAddress,
                                  MovieDetails* pDetails) {
  std::remove(kMovieFile);
  if (!wget(sAddress, kMovieFile)) {
    log_(sAddress + ": the title page could not be downloaded");
    return DetailsStatus::kFetchFailed;
  }
  MovieDetails d;
  d.sPlot = infoPlot(kMovieFile);
  d.sTag = infoTagline(kMovieFile);
  d.sRate = infoRate(kMovieFile);
  d.sYear = infoYear(kMovieFile);
  d.sDir = infoDirector(kMovieFile);
  d.sTime = infoRuntime(kMovieFile);
  d.sAct = infoCast(kMovieFile);
  d.sGen = infoGenre(kMovieFile);
  // Pages of later layouts hold none of the known markers; the year comes
  // from any page's title element, and alone it is no record worth storing.
  if (d.sPlot.empty() && d.sRate.empty() && d.sDir.empty() &&
      d.sTime.empty() && d.sAct.empty() && d.sGen.empty()) {
    log_(sAddress + ": not a title page of the layout Florrin reads");
    return DetailsStatus::kRefused;
  }
  d.sPosterURL = infoPic(kMovieFile);
  *pDetails = d;
  return DetailsStatus::kOk;
}

bool SiteSource::FetchPoster(const sString& sURL, const sString& sFile) {
  if (wget(sURL, sFile, kMaxPosterBytes)) return true;
  log_(sURL + ": the poster could not be downloaded");
  return false;
}

std::vector<sString> SiteSource::SearchFiles() const {
  return {kSearchFile, "tempout"};
}

std::vector<sString> SiteSource::ImportFiles() const {
  return {kMovieFile, "tempout"};
}
