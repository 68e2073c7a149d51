// The ids that tie a record to its movie: the movie service's id and the
// movie site's id. Other programs find a movie again by them, so only
// values of the known forms are stored or written.
#ifndef FLORRIN_APP_EXPORT_MOVIE_IDS_H_
#define FLORRIN_APP_EXPORT_MOVIE_IDS_H_

#include <string>
#include <string_view>

// True for a movie service id: 1 to 12 decimal digits.
bool IsTmdbId(std::string_view sId);

// True for a movie site id: "tt" followed by 7 to 10 decimal digits.
bool IsImdbId(std::string_view sId);

// The first movie site id in `sText` that stands after "/title/" (as in
// "https://www.imdb.com/title/tt0137523/"), or `sText` itself when it is
// one; empty when there is none.
std::string ImdbIdIn(std::string_view sText);

#endif  // FLORRIN_APP_EXPORT_MOVIE_IDS_H_
