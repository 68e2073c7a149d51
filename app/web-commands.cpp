// The web import commands: "--autoadd", "--urladd" and "--printsearch". They
// talk to a movie source (movie-source.h) and do not know which one answers.
#include <memory>

#include "commands.h"
#include "movie-fill.h"
#include "movie-record.h"
#include "movie-source.h"
#include "movie-sources.h"
#include "poster-name.h"
#include "print-imdb-search.h"
#include "smDB.h"

namespace {

// How an import ended.
enum class Imported { kAdded, kFetchFailed, kRefused };

// Whether the catalogue would take a record named `sRec`. Asked before any
// request: a name it holds or cannot hold, or a file that may not be
// changed, would make the add fail after the downloads, which could only
// have overwritten the working files and a poster of that name.
bool MayAdd(smDB* db, const sString& sRec) {
  return db->mayChange() && sTxtDB::isName(sRec) && !db->isRec(sRec);
}

// Fetches the movie at `sAddress` from `source`, then its poster, and adds
// the record named `sRec`. The details come first: a refused movie costs no
// poster.
Imported Import(smDB* db, MovieSource* source, const sString& sRec,
                const sString& sAddress) {
  MovieDetails d;
  switch (source->Details(sAddress, &d)) {
    case DetailsStatus::kOk:
      break;
    case DetailsStatus::kFetchFailed:
    case DetailsStatus::kUnknown:
      return Imported::kFetchFailed;
    case DetailsStatus::kRefused:
      return Imported::kRefused;
  }
  sString sPic;
  const sString sPicFile = PosterFileName(sRec);
  if (!d.sPosterURL.empty() && !sPicFile.empty()) {
    // A poster that cannot be fetched only leaves the pic field empty.
    if (source->FetchPoster(d.sPosterURL, sPicFile)) sPic = sPicFile;
  }
  // The ids go on lines of their own after the eleven fields; a source that
  // gives none (the site) adds the record as addRec does.
  const MovieRecord m = RecordOf(sRec, d, sPic);
  if (!db->isopen() || db->isRec(sRec)) return Imported::kRefused;
  return AppendMovies(DBfile, {m}) ? Imported::kAdded : Imported::kRefused;
}

}  // namespace

void fAutoAdd(const sString& sP1) {
  smDB db;
  if (!db.open(DBfile) || !MayAdd(&db, sP1)) {
    Print("!error!");
    return;
  }
  std::unique_ptr<MovieSource> source = SourceForSearch();
  const SearchAnswer answer = source->Search(sP1);
  if (!answer.bFetched || answer.sPick.empty()) {
    Print("!error!");
    return;
  }
  Print(Import(&db, source.get(), sP1, answer.sPick) == Imported::kAdded
            ? "!ok!"
            : "!error!");
}

void fUrlAdd(const sString& sP1, const sString& sP2) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error! Could not open DataBase.");
    return;
  }
  if (!MayAdd(&db, sP1)) {
    Print("!error! Could not add to DataBase.");
    return;
  }
  std::unique_ptr<MovieSource> source = SourceForAddress(sP2);
  switch (Import(&db, source.get(), sP1, sP2)) {
    case Imported::kAdded:
      Print("!ok!");
      break;
    case Imported::kFetchFailed:
      Print("!error! Connection error.");
      break;
    case Imported::kRefused:
      Print("!error! Could not add to DataBase.");
      break;
  }
}

void fPrintImdbSearch(const sString& sP1) {
  const SearchAnswer answer = SourceForSearch()->Search(sP1);
  if (!answer.bFetched) {
    Print("!download error! !error!");
  } else if (!answer.bListed) {
    Print("!not found!");
  } else {
    for (const SearchMatch& match : answer.matches) PrintSearchMatch(match);
  }
}
