// The detail extractors: each cuts one field of a movie out of its downloaded
// title page `movieFile`.
//
// Each returns the field's text exactly as it stands on the page (line breaks
// removed where the field scanner is used; no trimming, no entity decoding),
// or the empty text when the page lacks the field or cannot be read. None of
// them reports an error or changes the file.
#ifndef FLORRIN_APP_MOVIE_DETAILS_H_
#define FLORRIN_APP_MOVIE_DETAILS_H_

#include "lmr.h"

// The text after "Plot Summary:</h5> " up to "<"; without a summary, the text
// after "Plot Outline:</h5> " up to "<". Both markers end in a space.
sString infoPlot(const sString& movieFile);

// The text after "Tagline:</h5>" up to "<".
sString infoTagline(const sString& movieFile);

// The text after "<b>User Rating:</b> <b>" up to "<".
sString infoRate(const sString& movieFile);

// The four characters after the first "(" of the page's title element (the
// whole title text when it holds four characters or fewer after cutting);
// empty when the title has no "(".
sString infoYear(const sString& movieFile);

// The link text of the first link directly after "Directed by</h5>".
sString infoDirector(const sString& movieFile);

// The text after "Runtime:</h5>" up to "<".
sString infoRuntime(const sString& movieFile);

// The poster's address: the src value of the first element whose title
// attribute is the movie's name (the title element's text before " (") and is
// directly followed by its src attribute.
sString infoPic(const sString& movieFile);

// On the first line holding "Cast overview", from that heading to the end of
// the line: each non-empty text between "/\">" and the next "<", each
// preceded by " - ", in page order.
sString infoCast(const sString& movieFile);

// On the line after the first line holding "Genre:</h5>": each text between
// "/\">" and the next "</a>", empty ones included, each preceded by " - ".
sString infoGenre(const sString& movieFile);

#endif  // FLORRIN_APP_MOVIE_DETAILS_H_
