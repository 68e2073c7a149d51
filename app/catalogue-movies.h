// Every movie of the catalogue with its eleven values, read once from start
// to end for the commands that show the whole catalogue (the HTML page).
//
// Read by the listings' rules: the file is read as bytes, each line that
// begins with "[" heads a record (named as the listings name it), and the
// record's values are its key=value lines up to the next such line. As with
// --printrec, a later line with the same key wins, and "pic" drops every
// "\r".
#ifndef FLORRIN_APP_CATALOGUE_MOVIES_H_
#define FLORRIN_APP_CATALOGUE_MOVIES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lmr.h"

// The eleven fields in the order a record stores them.
enum class MovieField {
  kPlot, kTagline, kRate, kYear, kDirector, kRuntime, kComments, kPic, kAct,
  kGenre, kType,
};

class CatalogueMovies {
 public:
  CatalogueMovies() = default;
  CatalogueMovies(const CatalogueMovies&) = delete;
  CatalogueMovies& operator=(const CatalogueMovies&) = delete;

  // Reads every record of the catalogue file `sFile`, in file order. False
  // (and no records) when it cannot be opened, or a read fails part-way;
  // `*pMissing` tells whether it does not exist.
  bool Read(const sString& sFile, bool* pMissing);

  // The number of records read.
  size_t size() const { return rows_.size(); }

  // Record `i`'s title and its value of `field` (empty where it has none).
  // The views stay valid while the object lives and is not read again.
  std::string_view Title(size_t i) const { return View(rows_[i].title); }
  std::string_view Value(size_t i, MovieField field) const {
    return View(rows_[i].values[static_cast<int>(field)]);
  }

 private:
  struct Span {
    size_t at = 0;
    size_t size = 0;
  };
  struct Row {
    Span title;
    Span values[11];
  };

  // Copies `s` into text_ and returns where it lies there.
  Span Keep(std::string_view s);
  std::string_view View(Span span) const {
    return std::string_view(text_).substr(span.at, span.size);
  }
  // Takes the whole lines of `sLines` (see FileView::Next).
  void Take(std::string_view sLines);

  // Every title and value, one after the other: one buffer instead of a
  // string per value, for a catalogue of a hundred thousand records.
  std::string text_;
  std::vector<Row> rows_;
};

#endif  // FLORRIN_APP_CATALOGUE_MOVIES_H_
