// The readers of the movie service's three answers (search, find, movie
// details) and of its error body. Every reader takes the answer's bytes
// whatever they are: a body that is not JSON, or not of the expected shape,
// is a failure value, never an exception. Texts come out in UTF-8, each line
// break (CR LF, LF or CR) and every other control byte but tab made one
// space, so a value always fits on one catalogue line.
#ifndef FLORRIN_APP_SERVICE_JSON_H_
#define FLORRIN_APP_SERVICE_JSON_H_

#include <string_view>
#include <vector>

#include "lmr.h"

// One result of a search.
struct ServiceMatch {
  sString sId;             // the movie's id, decimal digits
  sString sTitle;          // "title", empty when missing
  sString sOriginalTitle;  // "original_title", empty when missing
  sString sYear;           // from "release_date": four digits, or empty
};

// The results of a search answer, in the service's order; results without a
// numeric id are left out. False when the body is not a JSON object or its
// "results" is not an array.
bool ReadSearchAnswer(std::string_view sBody,
                      std::vector<ServiceMatch>* pMatches);

// The id of the first movie in a find answer's "movie_results". False when
// the body is not a JSON object or names no movie.
bool ReadFindAnswer(std::string_view sBody, sString* pId);

// A movie record's values as the details answer (with credits appended)
// gives them, in the record's shapes; texts in UTF-8.
struct ServiceMovie {
  sString sPlot;        // "overview"
  sString sTag;         // "tagline"
  sString sRate;        // "vote_average" as "8.4/10"; empty without votes
  sString sYear;        // four digits from "release_date", or empty
  sString sDir;         // the first crew member whose job is "Director"
  sString sTime;        // "N min", empty for 0 or none
  sString sAct;         // " - name - character" for the first 15 named
  sString sGen;         // " - name" for each genre
  sString sPosterPath;  // "poster_path" when it is a plain path, or empty
  sString sTmdbId;      // "id", decimal digits
  sString sImdbId;      // "imdb_id" when it is "tt" and 7 to 10 digits
};

// The movie of a details answer. False when the body is not a JSON object
// or has no numeric "id". Any other missing, null or wrongly typed value
// gives an empty field; unknown keys are ignored.
bool ReadMovieAnswer(std::string_view sBody, ServiceMovie* pMovie);

// The "status_message" of an error body, or empty.
sString ReadStatusMessage(std::string_view sBody);

// "vote_average" `dAverage` with one decimal and "/10": the digits that C's
// printf("%.1f") gives for the double on a correct C library (the exact
// value rounded, ties to even), the same on every system.
sString FormatRate(double dAverage);

// `sText` with each CR LF, LF or CR made one space, and every other control
// byte but tab a space too.
sString OneLine(std::string_view sText);

#endif  // FLORRIN_APP_SERVICE_JSON_H_
