// The movie site as a source: its search page and title pages, read with the
// page scanner, downloaded with wget() into the working files
// "imbd-search.htm" and "imbd-movie.htm".
#ifndef FLORRIN_APP_SITE_SOURCE_H_
#define FLORRIN_APP_SITE_SOURCE_H_

#include "failure-log.h"
#include "movie-source.h"

class SiteSource : public MovieSource {
 public:
  // `log` hears of each failed step.
  explicit SiteSource(FailureLog log) : log_(std::move(log)) {}

  // Downloads the search page (removing an older one first). The listing is
  // the first list of matches in page order; the pick is the first match of
  // the best section present (see resultAnalyze). A failed download leaves
  // no page.
  SearchAnswer Search(const sString& sTitle) override;

  // Downloads the title page at `sAddress` into "imbd-movie.htm" (removing
  // an older one first) and cuts the details out of it. A page that yields
  // none of plot, rating, director, runtime, cast and genres is refused: it
  // is no title page of the layout the extractors know, whatever else (a
  // year from its title, a tagline) they cut out of it.
  DetailsStatus Details(const sString& sAddress,
                        MovieDetails* pDetails) override;

  bool FetchPoster(const sString& sURL, const sString& sFile) override;

  // The search page, or the title page, and wget's log of a plain
  // download, "tempout".
  std::vector<sString> SearchFiles() const override;
  std::vector<sString> ImportFiles() const override;

 private:
  FailureLog log_;
};

#endif  // FLORRIN_APP_SITE_SOURCE_H_
