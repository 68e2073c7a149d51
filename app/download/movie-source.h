// Where an import's movie comes from: the movie site's pages or the movie
// service's API. The import commands talk to a MovieSource only, so they do
// not know which one answers; movie-sources.h picks one for a command.
#ifndef FLORRIN_APP_MOVIE_SOURCE_H_
#define FLORRIN_APP_MOVIE_SOURCE_H_

#include <vector>

#include "lmr.h"

// One match of a search, as "--printsearch" lists it: the title, " ", the
// year text, " | ", the link and " || ". Texts are in the catalogue's
// encoding (the ANSI code page on Windows).
struct SearchMatch {
  sString sTitle;
  sString sYear;  // such as "(1999)"
  sString sLink;  // an address "--urladd" takes back
};

// What a search found.
struct SearchAnswer {
  // False when the search could not be made (download or answer failed).
  bool bFetched = false;
  // True when the answer holds a list of matches, even an empty one, to
  // print; false when "!not found!" is the answer to print.
  bool bListed = false;
  std::vector<SearchMatch> matches;
  // The address of the match an automatic import takes, for Details; empty
  // when there is none to take.
  sString sPick;
};

// The values of a movie record that a source fills (the rest are the
// command's: the name, comments, pic and Type), and the poster's address.
struct MovieDetails {
  sString sPlot;
  sString sTag;
  sString sRate;
  sString sYear;
  sString sDir;
  sString sTime;
  sString sAct;
  sString sGen;
  sString sPosterURL;  // empty: no poster to fetch
  // The movie's ids, for the record's "tmdb" and "imdb" lines; empty when
  // the source gives none (the site's pages).
  sString sTmdbId;
  sString sImdbId;
};

// How asking for a movie's details ended.
enum class DetailsStatus {
  kOk,          // `*pDetails` holds the movie
  kFetchFailed, // it could not be fetched
  kUnknown,     // the source answered that it knows no such movie
  kRefused,     // fetched, but what came is no movie record to store
};

class MovieSource {
 public:
  virtual ~MovieSource() = default;

  // Searches for the title `sTitle` (as the command received it).
  virtual SearchAnswer Search(const sString& sTitle) = 0;

  // Fetches the movie at `sAddress` (a SearchAnswer::sPick, or an address
  // the user gave) into `*pDetails`.
  virtual DetailsStatus Details(const sString& sAddress,
                                MovieDetails* pDetails) = 0;

  // Downloads the poster at `sURL` into the file `sFile`. True when it was
  // saved; on false no `sFile` is left.
  virtual bool FetchPoster(const sString& sURL, const sString& sFile) = 0;

  // The files in the current folder that Search, and that Details and
  // FetchPoster (besides the poster file they are given), may remove or
  // replace. A command does not start where one of them is the catalogue's
  // own file.
  virtual std::vector<sString> SearchFiles() const = 0;
  virtual std::vector<sString> ImportFiles() const = 0;
};

#endif  // FLORRIN_APP_MOVIE_SOURCE_H_
