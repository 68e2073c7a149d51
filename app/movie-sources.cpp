#include "movie-sources.h"

#include "site-source.h"

std::unique_ptr<MovieSource> SourceForSearch() {
  return std::make_unique<SiteSource>(EnvironmentFailureLog());
}

std::unique_ptr<MovieSource> SourceForAddress(const sString&) {
  return SourceForSearch();
}
