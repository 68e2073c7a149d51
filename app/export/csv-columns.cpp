#include "csv-columns.h"

#include <charconv>
#include <cmath>
#include <cstring>
#include <string_view>
#include <system_error>

#include "ascii.h"
#include "catalogue-utf8.h"
#include "csv.h"
#include "genres.h"
#include "movie-ids.h"

namespace {

enum Field { kPlot, kTagline, kRate, kYear, kDirector, kRuntime, kComments,
             kPic, kAct, kGenre, kType };

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
    s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
    s.remove_suffix(1);
  return s;
}

bool SameName(std::string_view a, std::string_view b) {
  return EqualNoCase(Trimmed(a), b);
}

// A cell as the catalogue takes it: UTF-8, one line, no formula guard.
// Each column is read once, so its text may be taken from the row.
std::string Cell(std::vector<std::string>& row, int i) {
  if (i < 0 || static_cast<size_t>(i) >= row.size()) return std::string();
  std::string& raw = row[static_cast<size_t>(i)];
  // Most cells are plain ASCII on one line, and are taken as they are.
  const bool bPlain = IsAscii(raw) &&
                      std::memchr(raw.data(), '\n', raw.size()) == nullptr &&
                      std::memchr(raw.data(), '\r', raw.size()) == nullptr;
  if (bPlain) {
    if (raw.empty() || raw[0] != '\'') return std::move(raw);
    return UnguardFormula(raw);
  }
  std::string text = Utf8OrWindows1252(raw) == raw ? raw : CatalogueToUtf8(raw);
  std::string line;
  line.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') continue;
    line.push_back(text[k] == '\r' || text[k] == '\n' ? ' ' : text[k]);
  }
  return UnguardFormula(line);
}

std::string TrimmedCell(std::vector<std::string>& row, int i) {
  return std::string(Trimmed(Cell(row, i)));
}

bool Number(const std::string& s, double* pValue) {
  const char* end = s.data() + s.size();
  const auto r = std::from_chars(s.data(), end, *pValue);
  return r.ec == std::errc() && r.ptr == end && std::isfinite(*pValue);
}

}  // namespace

std::vector<std::string> ExportHeader() {
  return {"Title",  "Year",  "Directors", "tmdbID", "imdbID",
          "Runtime", "Genres", "Cast",    "Rate",   "Plot",
          "Tagline", "Comments", "Type",  "Poster"};
}

std::vector<std::string> ExportRow(const CsvMovie& m) {
  std::string sGenres;
  for (const std::string& name : SplitGenres(m.values[kGenre])) {
    if (!sGenres.empty()) sGenres += ", ";
    sGenres += name;
  }
  const std::string* const cells[] = {
      &m.sTitle,           &m.values[kYear],  &m.values[kDirector],
      &m.sTmdb,            &m.sImdb,          &m.values[kRuntime],
      &sGenres,            &m.values[kAct],   &m.values[kRate],
      &m.values[kPlot],    &m.values[kTagline], &m.values[kComments],
      &m.values[kType],    &m.values[kPic]};
  std::vector<std::string> row;
  row.reserve(sizeof cells / sizeof cells[0]);
  for (const std::string* cell : cells) row.push_back(GuardFormula(*cell));
  return row;
}

CsvColumns::CsvColumns(const std::vector<std::string>& header) {
  // The first column of each name counts; "Title" wins over "Name" and
  // "imdbID" over "Const" wherever they stand.
  struct Known {
    const char* name;
    int* column;
  };
  int name = -1, director2 = -1, konst = -1;
  const Known known[] = {
      {"title", &title_},         {"name", &name},
      {"year", &year_},           {"directors", &director_},
      {"director", &director2},   {"tmdbid", &tmdb_},
      {"imdbid", &imdb_},         {"const", &konst},
      {"url", &url_},             {"runtime", &runtime_},
      {"runtime (mins)", &minutes_}, {"genres", &genres_},
      {"cast", &cast_},           {"rate", &rate_},
      {"imdb rating", &imdb_rating_}, {"plot", &plot_},
      {"tagline", &tagline_},     {"comments", &comments_},
      {"type", &type_},           {"poster", &poster_},
      {"your rating", &my_rating10_}, {"rating", &my_rating5_},
  };
  for (size_t i = 0; i < header.size(); ++i) {
    std::string_view cell = header[i];
    // A byte-order mark the reader did not see (a second one) is no name.
    if (i == 0 && cell.substr(0, 3) == "\xEF\xBB\xBF") cell.remove_prefix(3);
    for (const Known& k : known) {
      if (*k.column < 0 && SameName(cell, k.name))
        *k.column = static_cast<int>(i);
    }
  }
  if (title_ < 0) title_ = name;
  if (director_ < 0) director_ = director2;
  if (imdb_ < 0) imdb_ = konst;
}

CsvMovie CsvColumns::Read(const std::vector<std::string>& row) const {
  return Read(std::vector<std::string>(row));
}

CsvMovie CsvColumns::Read(std::vector<std::string>&& row) const {
  CsvMovie m;
  // The title as it stands: a name with spaces round it comes back from
  // an export whole.
  m.sTitle = Cell(row, title_);
  m.values[kYear] = TrimmedCell(row, year_);
  m.values[kDirector] = Cell(row, director_);
  m.values[kPlot] = Cell(row, plot_);
  m.values[kTagline] = Cell(row, tagline_);
  m.values[kAct] = Cell(row, cast_);
  m.values[kComments] = Cell(row, comments_);
  m.values[kType] = Cell(row, type_);
  m.values[kPic] = Cell(row, poster_);
  m.values[kRuntime] = runtime_ >= 0 ? Cell(row, runtime_)
                                     : MinutesAsRuntime(TrimmedCell(row, minutes_));
  m.values[kRate] = rate_ >= 0 ? Cell(row, rate_)
                               : RatingAsRate(TrimmedCell(row, imdb_rating_));
  if (genres_ >= 0) {
    std::vector<std::string> names;
    const std::string sGenres = Cell(row, genres_);
    size_t start = 0;
    for (;;) {
      const size_t comma = sGenres.find(',', start);
      const std::string_view name = Trimmed(
          std::string_view(sGenres).substr(start, comma - start));
      if (!name.empty()) names.emplace_back(name);
      if (comma == std::string::npos) break;
      start = comma + 1;
    }
    m.values[kGenre] = JoinGenres(names);
  }
  if (comments_ < 0) {
    std::string sMine = MyRating(TrimmedCell(row, my_rating10_), false);
    if (sMine.empty()) sMine = MyRating(TrimmedCell(row, my_rating5_), true);
    m.values[kComments] = sMine;
  }
  const std::string sTmdb = TrimmedCell(row, tmdb_);
  if (IsTmdbId(sTmdb)) m.sTmdb = sTmdb;
  const std::string sImdb = TrimmedCell(row, imdb_);
  if (IsImdbId(sImdb)) m.sImdb = sImdb;
  if (m.sImdb.empty()) m.sImdb = ImdbIdIn(TrimmedCell(row, url_));
  return m;
}

std::string MinutesAsRuntime(const std::string& sCell) {
  if (!AllDigits(sCell)) return std::string();
  size_t i = 0;
  while (i + 1 < sCell.size() && sCell[i] == '0') ++i;
  return sCell.substr(i) + " min";
}

std::string RatingAsRate(const std::string& sCell) {
  double d = 0;
  if (!Number(sCell, &d) || d < 0) return std::string();
  char buffer[400];
  const auto r = std::to_chars(buffer, buffer + sizeof buffer, d,
                               std::chars_format::fixed, 1);
  if (r.ec != std::errc()) return std::string();
  return std::string(buffer, r.ptr) + "/10";
}

std::string MyRating(const std::string& sCell, bool bOutOfFive) {
  double d = 0;
  if (!Number(sCell, &d)) return std::string();
  const double dTen = bOutOfFive ? d * 2 : d;
  // Whole marks out of ten only: a half star doubled is whole.
  if (dTen < 1 || dTen > 10 || dTen != std::floor(dTen)) return std::string();
  return "My rating: " + std::to_string(static_cast<int>(dTen)) + "/10";
}
