// Which CSV column holds which part of a movie record: the columns Florrin
// writes, and the columns it reads from its own files and from the exports
// of movie sites (ratings, watchlists and lists), found by header name.
#ifndef FLORRIN_APP_EXPORT_CSV_COLUMNS_H_
#define FLORRIN_APP_EXPORT_CSV_COLUMNS_H_

#include <array>
#include <string>
#include <vector>

// A movie record in the shape the CSV columns map to. `values` holds the
// eleven fields in the catalogue's field order (plot, tagline, rate, year,
// director, runtime, comments, pic, Act, Genre, Type).
struct CsvMovie {
  std::string sTitle;
  std::array<std::string, 11> values;
  std::string sTmdb;
  std::string sImdb;
};

// The header row of an export: Title, Year, Directors, tmdbID, imdbID,
// Runtime, Genres, Cast, Rate, Plot, Tagline, Comments, Type, Poster.
std::vector<std::string> ExportHeader();

// The row of an export for `m`, whose texts are already UTF-8: the Genre
// value's names joined by ", ", every other field as it is, each guarded
// against being run as a formula (GuardFormula in csv.h).
std::vector<std::string> ExportRow(const CsvMovie& m);

// The columns of a file being imported, found from its header row.
class CsvColumns {
 public:
  // Header names are compared ignoring ASCII case and surrounding spaces;
  // unknown names are ignored.
  explicit CsvColumns(const std::vector<std::string>& header);

  // True when the file has a title column ("Title", else "Name").
  bool HasTitle() const { return title_ >= 0; }

  // The record a row gives, texts in UTF-8: each field is taken as UTF-8
  // when it is, else read in the catalogue's fallback (CatalogueToUtf8);
  // line breaks become spaces (CR LF one space), a formula guard comes off,
  // and surrounding spaces of ids, years and numbers (not of the
  // title) are dropped. Missing cells (a short row) are empty. Ids not of the stored forms are left
  // out; pic holds the Poster cell as it stands, for the caller to judge.
  CsvMovie Read(const std::vector<std::string>& row) const;
  // The same, taking the cells' text where it can instead of copying it;
  // `row` is left with cells emptied.
  CsvMovie Read(std::vector<std::string>&& row) const;

 private:
  int title_ = -1, year_ = -1, director_ = -1, tmdb_ = -1, imdb_ = -1,
      url_ = -1, runtime_ = -1, minutes_ = -1, genres_ = -1, cast_ = -1,
      rate_ = -1, imdb_rating_ = -1, plot_ = -1, tagline_ = -1,
      comments_ = -1, type_ = -1, poster_ = -1, my_rating10_ = -1,
      my_rating5_ = -1;
};

// "N min" for a "Runtime (mins)" cell of digits, else empty.
std::string MinutesAsRuntime(const std::string& sCell);

// "%.1f/10" for an "IMDb Rating" cell holding a number, else empty.
std::string RatingAsRate(const std::string& sCell);

// "My rating: N/10" for a user's rating: `sCell` from 1 to 10 (whole), or,
// with `bOutOfFive`, from 0.5 to 5 in halves, counted double. Empty for
// anything else.
std::string MyRating(const std::string& sCell, bool bOutOfFive);

#endif  // FLORRIN_APP_EXPORT_CSV_COLUMNS_H_
