// The page fetcher and the title search that picks the best match.
#ifndef FLORRIN_APP_IMDB_SEARCH_H_
#define FLORRIN_APP_IMDB_SEARCH_H_

#include <cstdint>
#include <vector>

#include "download.h"
#include "lmr.h"

// The site's host name; the search address and every title-page address
// found by a search are on it.
extern const char kSiteHost[];  // "www.imdb.com"

// The working file that holds the downloaded search page.
extern const char kSearchFile[];  // "imbd-search.htm"

// Result values of searchImdb and resultAnalyze.
extern const char kDownloadError[];  // "!download error!"
extern const char kNothingFound[];   // "!nothing found!"

// Replaces every space of `*text` by "+"; nothing else changes.
void WebSpaces(sString* text);

// Downloads `URL` into `FileName` as a plain request of Download, within the
// time limit that DownloadTimeout gives for the environment. With wget, its
// log goes to "tempout" and the download succeeded when wget ended by itself
// within the limit with exit status 0 and its log passes WgetLogSaysSaved;
// with curl, when it exited with status 0 after an answer of success.
// "tempout" is removed afterwards in every case, and an address that begins
// with "-" fails without any download. A document of more than `iMaxBytes`
// bytes fails too, stopped as soon as it grows past them. True when the
// download succeeded; on false `FileName` no longer exists. An older
// `FileName` is not removed first.
bool wget(const sString& URL, const sString& FileName,
          int64_t iMaxBytes = kMaxPageBytes);

// The site's search address for `movieName`: "http://", the host, "/find?q=",
// the title exactly as given (spaces and all) and ";more=tt".
sString SearchAddress(const sString& movieName);

// Searches the site for `movieName`: downloads the search page into
// "imbd-search.htm" and returns resultAnalyze of it (the page stays). When
// the download fails, the page file is removed and the result is
// "!download error!".
sString searchImdb(const sString& movieName);

// The address of the first entry of the first result section present in the
// search page `strFile`, trying "Titles (Exact Matches)", "Popular Titles"
// and "Titles (Approx Matches)" in this order, whatever their order on the
// page: the host followed by the entry's link up to its first "?" (no scheme).
// "!nothing found!" when none of the headings is there, when the first one
// found is not followed by a list whose first entry is a link, or when that
// link is not a path on the site (beginning with "/" and not "//"): anything
// else put after the host could send the download to another host.
sString resultAnalyze(const sString& strFile);

#endif  // FLORRIN_APP_IMDB_SEARCH_H_
