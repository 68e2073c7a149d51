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

  std::vector<sString> lines;
  ReadTextLines(kSearchFile, &lines);
  int mode = 0;
  for (const sString& sLine : lines) {
    if (mode == 0) {
      if (IsListHeading(sLine)) {
        mode = 1;
        printInfoLine(sLine);
      }
      continue;
    }
    if (Left(sLine, 5) == "</ol>") return "!found!";
    printInfoLine(sLine);
  }
  if (mode == 1) return "!found!";  // the page ended inside the list
  Print("!not found!");
  return "!not found! !error!";
}

void printInfoLine(const sString& sTemp) {
  int stURL = FindInStr(sTemp, "<a href=\"", 0);
  if (stURL == -1) return;
  stURL += 9;
  const int endURL = FindInStr(sTemp, "?", stURL);
  const int stTit = FindInStr(sTemp, ">", endURL) + 1;
  const int endTit = FindInStr(sTemp, "</a>", stTit);
  const int stYear = endTit + 5;  // past "</a>" and the character after it
  int endYear = FindInStr(sTemp, "<br>", stYear);
  if (endYear == -1) endYear = FindInStr(sTemp, "</li>", stYear);

  // A missing position makes a length negative or too large, and Mid then
  // gives the whole line: that is the listing's known form for such lines.
  Print(Mid(sTemp, stTit, endTit - stTit));
  Print(" ");
  Print(Mid(sTemp, stYear, endYear - stYear));
  Print(" | ");
  Print(Mid(sTemp, stURL, endURL - stURL));
  Print(" || ");
}
