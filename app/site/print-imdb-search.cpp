#include "print-imdb-search.h"

#include <cstdio>
#include <vector>

#include "imdb-search.h"
#include "output.h"
#include "web-text.h"

namespace {

// Whether a line of the search page opens a listed section.
bool IsListHeading(const sString& sLine) {
  return FindInStr(sLine, "Titles (Exact Matches)", 0) >= 0 ||
         FindInStr(sLine, "Titles (Partial Matches)", 0) >= 0 ||
         FindInStr(sLine, "Titles (Approx Matches)", 0) >= 0;
}

}  // namespace

sString printImdbSearch(const sString& movieName) {
  const sString pURL = SearchAddress(movieName);
  std::remove(kSearchFile);
  if (!wget(pURL, kSearchFile)) {
    Print("!download error! !error!");
    std::remove(kSearchFile);
    return kDownloadError;
  }
  std::vector<SearchMatch> matches;
  if (!ReadSearchListing(kSearchFile, &matches)) {
    Print("!not found!");
    return "!not found! !error!";
  }
  for (const SearchMatch& match : matches) PrintSearchMatch(match);
  return "!found!";  // also for a page that ended inside the list
}

bool ReadSearchListing(const sString& strFile,
                       std::vector<SearchMatch>* pMatches) {
  pMatches->clear();
  std::vector<sString> lines;
  ReadTextLines(strFile, &lines);
  bool bListing = false;
  SearchMatch match;
  for (const sString& sLine : lines) {
    if (!bListing) {
      if (!IsListHeading(sLine)) continue;
      bListing = true;  // the heading's own line is listed too
    } else if (Left(sLine, 5) == "</ol>") {
      break;
    }
    if (ListingEntry(sLine, &match)) pMatches->push_back(match);
  }
  return bListing;
}

bool ListingEntry(const sString& sTemp, SearchMatch* pMatch) {
  int stURL = FindInStr(sTemp, "<a href=\"", 0);
  if (stURL == -1) return false;
  stURL += 9;
  const int endURL = FindInStr(sTemp, "?", stURL);
  const int stTit = FindInStr(sTemp, ">", endURL) + 1;
  const int endTit = FindInStr(sTemp, "</a>", stTit);
  const int stYear = endTit + 5;  // past "</a>" and the character after it
  int endYear = FindInStr(sTemp, "<br>", stYear);
  if (endYear == -1) endYear = FindInStr(sTemp, "</li>", stYear);

  // A missing position makes a length negative or too large, and Mid then
  // gives the whole line: that is the listing's known form for such lines.
  pMatch->sTitle = Mid(sTemp, stTit, endTit - stTit);
  pMatch->sYear = Mid(sTemp, stYear, endYear - stYear);
  pMatch->sLink = Mid(sTemp, stURL, endURL - stURL);
  return true;
}

void printInfoLine(const sString& sTemp) {
  SearchMatch match;
  if (ListingEntry(sTemp, &match)) PrintSearchMatch(match);
}

void PrintSearchMatch(const SearchMatch& match) {
  Print(match.sTitle);
  Print(" ");
  Print(match.sYear);
  Print(" | ");
  Print(match.sLink);
  Print(" || ");
}
