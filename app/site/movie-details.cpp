#include "movie-details.h"

#include <vector>

#include "html-analizer.h"
#include "web-text.h"

namespace {

// One field-scanner pass; a failed scan gives the empty text.
sString Scan(const sString& movieFile, const sString& strReq,
             const sString& strTerm, bool* bFound) {
  sString res = htmlAnalyze(movieFile, strReq, strTerm);
  *bFound = res != kErrInFetch;
  if (!*bFound) res.clear();
  return res;
}

sString Scan(const sString& movieFile, const sString& strReq,
             const sString& strTerm) {
  bool bFound;
  return Scan(movieFile, strReq, strTerm, &bFound);
}

// The pieces of `sLine` from `iSt` on between each "/\">" and the next
// `strEnd`, each preceded by " - "; empty pieces are kept only when
// `bKeepEmpty`. A piece with no `strEnd` after it ends the scan and adds
// nothing: by the string toolkit's bounds rule it would be the whole line,
// once for every such piece, and a crafted line of them would add its size
// squared to the catalogue.
sString LinkTexts(const sString& sLine, int iSt, const char* strEnd,
                  bool bKeepEmpty) {
  sString sOut;
  iSt = FindInStr(sLine, "/\">", iSt);
  int iEnd = FindInStr(sLine, strEnd, iSt);
  while (iSt != -1) {
    if (iEnd == -1) break;
    const sString tmp = Mid(sLine, iSt + 3, iEnd - iSt - 3);
    if (bKeepEmpty || !tmp.empty()) sOut += " - " + tmp;
    iSt = FindInStr(sLine, "/\">", iSt + 3);
    iEnd = FindInStr(sLine, strEnd, iSt + 3);
  }
  return sOut;
}

}  // namespace

sString infoPlot(const sString& movieFile) {
  bool bFound;
  sString res = Scan(movieFile, "Plot Summary:</h5> ", "<", &bFound);
  if (bFound) return res;
  return Scan(movieFile, "Plot Outline:</h5> ", "<");
}

sString infoTagline(const sString& movieFile) {
  return Scan(movieFile, "Tagline:</h5>", "<");
}

sString infoRate(const sString& movieFile) {
  return Scan(movieFile, "<b>User Rating:</b> <b>", "<");
}

sString infoYear(const sString& movieFile) {
  const sString res = Scan(movieFile, "<title>", "<");
  const int iSt = FindInStr(res, "(", 0);
  if (iSt == -1) return sString();
  return Mid(res, iSt + 1, 4);
}

sString infoDirector(const sString& movieFile) {
  static const char kMarker[] = "Directed by</h5><a href=\"";
  bool bFound;
  // The link's address and the rest of its opening tag, then its text.
  const sString res = Scan(movieFile, kMarker, ">", &bFound);
  if (!bFound) return sString();
  return Scan(movieFile, kMarker + res + ">", "<");
}

sString infoRuntime(const sString& movieFile) {
  return Scan(movieFile, "Runtime:</h5>", "<");
}

sString infoPic(const sString& movieFile) {
  bool bFound;
  sString res = Scan(movieFile, "<title>", "(", &bFound);
  if (!bFound) return sString();
  // Drop the space before the parenthesis: "Some Film (1999)" names the
  // poster element's title "Some Film".
  res = Left(res, static_cast<int>(res.size()) - 1);
  return Scan(movieFile, "title=\"" + res + "\" src=\"", "\"");
}

sString infoCast(const sString& movieFile) {
  std::vector<sString> lines;
  if (!ReadTextLines(movieFile, &lines)) return sString();
  for (const sString& sLine : lines) {
    const int st = FindInStr(sLine, "Cast overview", 0);
    if (st == -1) continue;
    return LinkTexts(sLine, st, "<", false);
  }
  return sString();
}

sString infoGenre(const sString& movieFile) {
  std::vector<sString> lines;
  if (!ReadTextLines(movieFile, &lines)) return sString();
  for (size_t i = 0; i < lines.size(); ++i) {
    if (FindInStr(lines[i], "Genre:</h5>", 0) == -1) continue;
    if (i + 1 == lines.size()) return sString();
    return LinkTexts(lines[i + 1], 0, "</a>", true);
  }
  return sString();
}
