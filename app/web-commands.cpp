// The web import commands: "--autoadd", "--urladd" and "--printsearch". They
// talk to a movie source (movie-source.h) and do not know which one answers.
#include <memory>
#include <vector>

#include "commands.h"
#include "field-values.h"
#include "movie-fill.h"
#include "movie-record.h"
#include "movie-source.h"
#include "movie-sources.h"
#include "poster-place.h"
#include "print-imdb-search.h"
#include "same-file.h"
#include "smDB.h"

namespace {

// How an import ended.
enum class Imported { kAdded, kFetchFailed, kRefused };

// Whether the catalogue would take a record named `sRec`. Asked before any
// request: a name it holds or cannot hold, or a file that may not be
// changed, would make the add fail after the downloads, which could only
// have overwritten the working files.
bool MayAdd(smDB* db, const sString& sRec) {
  return db->mayChange() && sTxtDB::isName(sRec) && !db->isRec(sRec);
}

// The file the poster of the new record `sRec` is to be saved as, chosen
// before any request (see FreePosterName); empty for none. False when the
// catalogue cannot be read for the names its records take.
bool ChoosePosterFile(const sString& sRec, sString* pFile) {
  std::vector<sString> pics;
  if (!ReadFieldValues(DBfile, "pic", &pics)) return false;
  *pFile = FreePosterName(sRec, pics);
  return true;
}

// True when none of `files` (the empty name stands for none) is the
// catalogue's own file, whatever name reaches it: a command that would
// remove or replace it does not start.
bool SparesCatalogue(std::vector<sString> files, const sString& sPicFile) {
  files.push_back(sPicFile);
  for (const sString& sFile : files) {
    if (!sFile.empty() && SameFile(sFile, DBfile)) return false;
  }
  return true;
}

// Fetches the movie at `sAddress` from `source`, then its poster as
// `sPicFile` (none when empty), and adds the record named `sRec`. The
// details come first: a refused movie costs no poster.
Imported Import(smDB* db, MovieSource* source, const sString& sRec,
                const sString& sAddress, const sString& sPicFile) {
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
  if (!d.sPosterURL.empty() && !sPicFile.empty()) {
    // Saved under a name of its own and moved into place whole: a poster
    // that cannot be fetched leaves every file as it was, and the pic field
    // empty.
    PosterDownload poster;
    if (poster.Begin() && source->FetchPoster(d.sPosterURL, poster.file()) &&
        poster.MoveTo(sPicFile))
      sPic = sPicFile;
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
  sString sPicFile;
  if (!db.open(DBfile) || !MayAdd(&db, sP1) ||
      !ChoosePosterFile(sP1, &sPicFile)) {
    Print("!error!");
    return;
  }
  std::unique_ptr<MovieSource> source = SourceForSearch();
  std::vector<sString> files = source->SearchFiles();
  for (const sString& sFile : source->ImportFiles()) files.push_back(sFile);
  if (!SparesCatalogue(files, sPicFile)) {
    Print("!error!");
    return;
  }
  const SearchAnswer answer = source->Search(sP1);
  if (!answer.bFetched || answer.sPick.empty()) {
    Print("!error!");
    return;
  }
  Print(Import(&db, source.get(), sP1, answer.sPick, sPicFile) ==
                Imported::kAdded
            ? "!ok!"
            : "!error!");
}

void fUrlAdd(const sString& sP1, const sString& sP2) {
  smDB db;
  if (!db.open(DBfile)) {
    Print("!error! Could not open DataBase.");
    return;
  }
  sString sPicFile;
  std::unique_ptr<MovieSource> source;
  bool bMay = MayAdd(&db, sP1) && ChoosePosterFile(sP1, &sPicFile);
  if (bMay) {
    source = SourceForAddress(sP2);
    bMay = SparesCatalogue(source->ImportFiles(), sPicFile);
  }
  if (!bMay) {
    Print("!error! Could not add to DataBase.");
    return;
  }
  switch (Import(&db, source.get(), sP1, sP2, sPicFile)) {
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
  std::unique_ptr<MovieSource> source = SourceForSearch();
  if (!SparesCatalogue(source->SearchFiles(), sString())) {
    Print("!download error! !error!");
    return;
  }
  const SearchAnswer answer = source->Search(sP1);
  if (!answer.bFetched) {
    Print("!download error! !error!");
  } else if (!answer.bListed) {
    Print("!not found!");
  } else {
    for (const SearchMatch& match : answer.matches) PrintSearchMatch(match);
  }
}
