// Which source answers an import: the movie service when the user has set
// up a credential for it (see service-config.h), the movie site otherwise.
#ifndef FLORRIN_APP_MOVIE_SOURCES_H_
#define FLORRIN_APP_MOVIE_SOURCES_H_

#include <memory>

#include "movie-source.h"

// The source that searches for a title ("--autoadd", "--printsearch").
std::unique_ptr<MovieSource> SourceForSearch();

// The source that knows the movie at `sAddress` ("--urladd"): the service
// for an address that names one of its movies, or a movie of the site by
// its id, when a credential is set up; the site for any other address.
std::unique_ptr<MovieSource> SourceForAddress(const sString& sAddress);

#endif  // FLORRIN_APP_MOVIE_SOURCES_H_
