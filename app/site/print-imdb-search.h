// The listing of the site's matches for a title, for "--printsearch".
#ifndef FLORRIN_APP_PRINT_IMDB_SEARCH_H_
#define FLORRIN_APP_PRINT_IMDB_SEARCH_H_

#include <vector>

#include "lmr.h"
#include "movie-source.h"

// Downloads the site's search page for `movieName` into "imbd-search.htm"
// (removing an older one first) and prints the entries of the first list of
// matches in page order: the list begins at the first line holding
// "Titles (Exact Matches)", "Titles (Partial Matches)" or
// "Titles (Approx Matches)" (that line is listed too) and ends before the
// first line that begins with "</ol>". Each line is printed by printInfoLine.
//
// Returns "!found!" after a list (also one cut short by the end of the page),
// "!not found! !error!" after printing "!not found!" when no heading occurs,
// or "!download error!" after printing "!download error! !error!" when the
// page could not be downloaded (the page file is then removed). Nothing is
// printed with a line break.
sString printImdbSearch(const sString& movieName);

// Prints one line of a search page as an entry, without line breaks: the link
// text, " ", the text after the link up to "<br>" (or "</li>"), " | ", the
// link's address up to its first "?", and " || ". A line with no
// "<a href=\"" prints nothing. Where a later piece is missing, the string
// toolkit's bounds rules apply: that field prints as the whole line.
void printInfoLine(const sString& sTemp);

// The entry printInfoLine prints for `sTemp`, in its three pieces. False for
// a line with no "<a href=\"", which prints nothing.
bool ListingEntry(const sString& sTemp, SearchMatch* pMatch);

// The entries of the search page `strFile` that printImdbSearch lists, in
// page order, into `*pMatches`. False (no entries) when no heading opens a
// list, or the page cannot be read.
bool ReadSearchListing(const sString& strFile,
                       std::vector<SearchMatch>* pMatches);

// Prints `match` as one listing entry: title, " ", year text, " | ", link,
// " || ".
void PrintSearchMatch(const SearchMatch& match);

#endif  // FLORRIN_APP_PRINT_IMDB_SEARCH_H_
