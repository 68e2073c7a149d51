// The movie service's side of addresses and search words: which addresses
// name one of its movies, how search words go into a query.
#ifndef FLORRIN_APP_SERVICE_ADDRESS_H_
#define FLORRIN_APP_SERVICE_ADDRESS_H_

#include <string_view>

#include "lmr.h"

// What an address given to "--urladd" names.
enum class AddressKind {
  kOther,    // nothing the service knows: the site's page
  kMovieId,  // a service movie id ("/movie/603-the-matrix")
  kImdbId,   // an id of the movie site ("/title/tt0133093/", "tt0133093")
};

// Reads `sAddress` (with or without scheme and host). kMovieId when its path
// has a segment "movie" followed by a segment that starts with digits (`*pId`
// = those digits); kImdbId when a segment "title" is followed by a segment
// "tt" and 7 to 10 digits, or the whole address is such an id (`*pId` = the
// id); kOther for anything else.
AddressKind ClassifyAddress(const sString& sAddress, sString* pId);

// `sText` percent-encoded for a query value: letters, digits and "-._~"
// stay, every other byte (of the UTF-8 text) becomes "%XX", a space "%20".
sString PercentEncode(std::string_view sText);

// Splits a title such as "House (1977)", ending in a space and four digits
// in parentheses, into the words before it and the year. False (nothing
// set) when the title does not end so or no words stand before it.
bool SplitYearHint(const sString& sTitle, sString* pWords, sString* pYear);

// True when `a` and `b` are equal but for the case of ASCII letters.
bool SameTitle(std::string_view a, std::string_view b);

#endif  // FLORRIN_APP_SERVICE_ADDRESS_H_
