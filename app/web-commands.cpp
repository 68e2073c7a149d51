// The web import commands: "--autoadd", "--urladd" and "--printsearch".
#include "commands.h"

#include "get-put-line.h"
#include "imdb-search.h"
#include "movie-details.h"
#include "poster-name.h"
#include "print-imdb-search.h"
#include "smDB.h"

namespace {

// The working file that holds the downloaded title page.
const char kMovieFile[] = "imbd-movie.htm";

// The steps shared by both import commands, once the title page is in
// "imbd-movie.htm": fetch the poster, cut out the details, add the record
// named `sP1`. True when the catalogue took the record.
bool AddFromTitlePage(smDB* db, const sString& sP1) {
  // A name the catalogue already holds, or cannot hold, would be refused by
  // the add below; fetching its poster first would overwrite (or, failing,
  // delete) the poster of the record that holds it, or leave one behind.
  if (!sTxtDB::isName(sP1) || db->isRec(sP1)) return false;
  const sString sPicURL = infoPic(kMovieFile);
  sString sPic;
  const sString sPicFile = PosterFileName(sP1);
  if (!sPicURL.empty() && !sPicFile.empty()) {
    // A poster that cannot be fetched only leaves the pic field empty.
    if (wget(sPicURL, sPicFile)) sPic = sPicFile;
  }
  const sString sRec = sP1;
  const sString sPlot = infoPlot(kMovieFile);
  const sString sTag = infoTagline(kMovieFile);
  const sString sRate = infoRate(kMovieFile);
  const sString sYear = infoYear(kMovieFile);
  const sString sDir = infoDirector(kMovieFile);
  const sString sTime = infoRuntime(kMovieFile);
  const sString sComm;
  const sString sAct = infoCast(kMovieFile);
  const sString sGen = infoGenre(kMovieFile);
  const sString sType;
  return db->addRec(sRec, sPlot, sTag, sRate, sYear, sDir, sTime, sComm, sPic,
                    sAct, sGen, sType);
}

}  // namespace

void fAutoAdd(const sString& sP1) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error!");
    return;
  }
  del(kSearchFile);
  const sString sURL = searchImdb(sP1);
  if (sURL == kDownloadError || sURL == kNothingFound) {
    Print("!error!");
    return;
  }
  del(kMovieFile);
  if (!wget(sURL, kMovieFile)) {
    Print("!error!");
    return;
  }
  Print(AddFromTitlePage(&db, sP1) ? "!ok!" : "!error!");
}

void fUrlAdd(const sString& sP1, const sString& sP2) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error! Could not open DataBase.");
    return;
  }
  del(kMovieFile);
  if (!wget(sP2, kMovieFile)) {
    Print("!error! Connection error.");
    return;
  }
  Print(AddFromTitlePage(&db, sP1) ? "!ok!"
                                   : "!error! Could not add to DataBase.");
}

void fPrintImdbSearch(const sString& sP1) {
  // The listing prints its own markers; its result is for nobody.
  printImdbSearch(sP1);
}
