#include "html-page.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <deque>
#include <unordered_set>

#include "catalogue-utf8.h"
#include "genres.h"
#include "html-escape.h"
#include "sha256.h"

namespace {

inline unsigned char Folded(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Eight bytes a step and no early way out: most values are ASCII and are
// looked at whole anyway.
bool IsAscii(std::string_view s) {
  const char* const p = s.data();
  const size_t n = s.size();
  uint64_t bits = 0;
  size_t i = 0;
  for (; i + 8 <= n; i += 8) {
    uint64_t word;
    std::memcpy(&word, p + i, 8);
    bits |= word;
  }
  for (; i < n; ++i) bits |= static_cast<unsigned char>(p[i]);
  return (bits & 0x8080808080808080u) == 0;
}

// A stored value as UTF-8: the value itself where it is ASCII (most are),
// else its conversion, kept in `*pScratch`.
std::string_view Utf8(std::string_view sStored, std::string* pScratch) {
  if (IsAscii(sStored)) return sStored;
  *pScratch = CatalogueToUtf8(sStored);
  return *pScratch;
}

// Appends a string literal without measuring it.
template <size_t N>
void Put(std::string* pOut, const char (&sLiteral)[N]) {
  pOut->append(sLiteral, N - 1);
}

// Writes the cards. Its scratch strings and lists keep their memory from
// card to card: a page of a hundred thousand cards makes no allocation for
// each.
class CardWriter {
 public:
  explicit CardWriter(std::string* pOut) : out_(pOut) {}

  void Card(const PageMovie& m);

 private:
  void Text(std::string_view sStored) {
    AppendHtmlText(Utf8(sStored, &scratch_), out_);
  }

  // <TAG class="CLASS">value</TAG>, nothing for an empty value; `sOpen` is
  // the opening tag up to the value, `sClose` the closing tag.
  template <size_t N, size_t M>
  void Element(const char (&sOpen)[N], const char (&sClose)[M],
               std::string_view sStored) {
    if (sStored.empty()) return;
    Put(out_, sOpen);
    Text(sStored);
    Put(out_, sClose);
  }

  std::string* out_;
  std::string scratch_, genreScratch_, castScratch_;
  std::vector<std::string_view> genres_, cast_;
};

void CardWriter::Card(const PageMovie& m) {
  std::string* const pOut = out_;
  Put(pOut, "<li class=\"card\">");
  if (m.poster.empty()) {
    Put(pOut, "<div class=\"poster none\"><span>");
    Text(m.title);
    Put(pOut, "</span></div>");
  } else {
    Put(pOut, "<img class=\"poster\" src=\"");
    AppendHtmlAttribute(m.poster, pOut);
    Put(pOut, "\" alt=\"");
    AppendHtmlAttribute(Utf8(m.title, &scratch_), pOut);
    Put(pOut, "\" loading=\"lazy\" decoding=\"async\" width=\"200\" "
              "height=\"300\">");
  }
  Put(pOut, "<div class=\"info\"><h2 class=\"title\">");
  Text(m.title);
  Put(pOut, "</h2>");
  if (!m.year.empty() || !m.runtime.empty() || !m.rate.empty()) {
    Put(pOut, "<p class=\"meta\">");
    Element("<span class=\"year\">", "</span>", m.year);
    Element("<span class=\"runtime\">", "</span>", m.runtime);
    Element("<span class=\"rate\">", "</span>", m.rate);
    Put(pOut, "</p>");
  }
  Element("<p class=\"director\">", "</p>", m.director);
  SplitGenreViews(Utf8(m.genre, &genreScratch_), &genres_);
  if (!genres_.empty()) {
    Put(pOut, "<ul class=\"genres\">");
    for (const std::string_view g : genres_) {
      Put(pOut, "<li class=\"genre\">");
      AppendHtmlText(g, pOut);
      Put(pOut, "</li>");
    }
    Put(pOut, "</ul>");
  }
  Put(pOut, "<details><summary>More</summary>");
  Element("<p class=\"tagline\">", "</p>", m.tagline);
  Element("<p class=\"plot\">", "</p>", m.plot);
  SplitGenreViews(Utf8(m.cast, &castScratch_), &cast_);
  if (!cast_.empty() || !m.comments.empty() || !m.type.empty()) {
    Put(pOut, "<dl>");
    if (!cast_.empty()) {
      Put(pOut, "<dt>Cast</dt><dd class=\"cast\">");
      for (size_t i = 0; i < cast_.size(); ++i) {
        if (i > 0) Put(pOut, ", ");
        AppendHtmlText(cast_[i], pOut);
      }
      Put(pOut, "</dd>");
    }
    Element("<dt>Comments</dt><dd class=\"comments\">", "</dd>", m.comments);
    Element("<dt>Type</dt><dd class=\"type\">", "</dd>", m.type);
    Put(pOut, "</dl>");
  }
  if (m.tagline.empty() && m.plot.empty() && cast_.empty() &&
      m.comments.empty() && m.type.empty())
    Put(pOut, "<p class=\"nothing\">Nothing more is noted.</p>");
  Put(pOut, "</details></div></li>\n");
}

// The genre choice: every genre name present, once, in title order. Most
// movies share their whole Genre value with others: each value is split
// once, and only the distinct names are sorted.
void AppendGenreOptions(const PageMovies& movies, std::string* pOut) {
  std::unordered_set<std::string_view> values, seen;
  std::deque<std::string> converted;  // UTF-8 of values that are not ASCII
  std::vector<std::string_view> names, split;
  for (size_t i = 0; i < movies.size(); ++i) {
    const std::string_view sValue = movies.GenreOf(i);
    if (sValue.empty() || !values.insert(sValue).second) continue;
    std::string_view sUtf8 = sValue;
    if (!IsAscii(sValue)) {
      converted.push_back(CatalogueToUtf8(sValue));
      sUtf8 = converted.back();
    }
    SplitGenreViews(sUtf8, &split);
    for (const std::string_view g : split) {
      if (seen.insert(g).second) names.push_back(g);
    }
  }
  std::sort(names.begin(), names.end(), TitleBefore);
  for (const std::string_view g : names) {
    Put(pOut, "<option value=\"");
    AppendHtmlAttribute(g, pOut);
    Put(pOut, "\">");
    AppendHtmlText(g, pOut);
    Put(pOut, "</option>");
  }
}

}  // namespace

bool TitleBefore(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Folded(a[i]), y = Folded(b[i]);
    if (x != y) return x < y;
  }
  if (a.size() != b.size()) return a.size() < b.size();
  return a < b;
}

namespace {

constexpr size_t kPiece = 1 << 20;

bool Page(std::string_view sCatalogueName, const PageMovies& movies,
          std::string* pOut, const PageFlush* pFlush) {
  const std::string sName = Utf8OrWindows1252(sCatalogueName);
  const std::string sCount =
      std::to_string(movies.size()) + (movies.size() == 1 ? " movie" : " movies");

  *pOut += "<!DOCTYPE html>\n<html lang=\"en\">\n<head>\n<meta charset=\"utf-8\">\n";
  // Images only from the page's own place (the posters); the style and the
  // script only as written here; nothing else at all.
  *pOut += "<meta http-equiv=\"Content-Security-Policy\" content=\""
           "default-src 'none'; img-src 'self' file:; style-src ";
  *pOut += CspHashSource(PageStyle());
  *pOut += "; script-src ";
  *pOut += CspHashSource(PageScript());
  *pOut += "; base-uri 'none'; form-action 'none'\">\n"
           "<meta name=\"viewport\" content=\"width=device-width, "
           "initial-scale=1\">\n<meta name=\"color-scheme\" "
           "content=\"light dark\">\n<meta name=\"referrer\" "
           "content=\"no-referrer\">\n<title>";
  AppendHtmlText(sName, pOut);
  *pOut += " \xC2\xB7 movies</title>\n<style>";
  pOut->append(PageStyle());
  *pOut += "</style>\n</head>\n<body>\n<header class=\"top\"><div class=\"bar\">"
           "<h1>";
  AppendHtmlText(sName, pOut);
  *pOut += "</h1><p class=\"count\" id=\"count\" aria-live=\"polite\">";
  *pOut += sCount;
  *pOut += "</p></div>\n<div class=\"tools\" id=\"tools\" hidden>"
           "<input type=\"search\" id=\"search\" placeholder=\"Search title, "
           "director, cast, genre, year\" aria-label=\"Search\" "
           "autocomplete=\"off\" spellcheck=\"false\">"
           "<select id=\"genre\" aria-label=\"Genre\"><option value=\"\">"
           "All genres</option>";
  AppendGenreOptions(movies, pOut);
  *pOut += "</select><select id=\"sort\" aria-label=\"Sort by\">"
           "<option value=\"title\">Title</option>"
           "<option value=\"year-new\">Year, newest first</option>"
           "<option value=\"year-old\">Year, oldest first</option>"
           "<option value=\"rate\">Rating</option></select>"
           "</div>\n</header>\n<main>\n<ul class=\"cards\" "
           "id=\"cards\">\n";
  CardWriter cards(pOut);
  PageMovie m;
  for (size_t i = 0; i < movies.size(); ++i) {
    movies.Get(i, &m);
    cards.Card(m);
    if (pFlush != nullptr && pOut->size() >= kPiece && !(*pFlush)(pOut))
      return false;
  }
  *pOut += "</ul>\n";
  if (movies.size() == 0)
    *pOut += "<p class=\"empty\">This catalogue holds no movies yet.</p>\n";
  *pOut += "<p class=\"empty\" id=\"none\" hidden>No movie matches.</p>\n"
           "</main>\n<script>";
  pOut->append(PageScript());
  *pOut += "</script>\n</body>\n</html>\n";
  return pFlush == nullptr || (*pFlush)(pOut);
}

// A list of movies put in title order, for AppendHtmlPage.
class SortedMovies : public PageMovies {
 public:
  explicit SortedMovies(const std::vector<PageMovie>& movies) {
    order_.reserve(movies.size());
    for (const PageMovie& m : movies) order_.push_back(&m);
    std::stable_sort(order_.begin(), order_.end(),
                     [](const PageMovie* a, const PageMovie* b) {
                       return TitleBefore(a->title, b->title);
                     });
  }
  size_t size() const override { return order_.size(); }
  std::string_view GenreOf(size_t i) const override {
    return order_[i]->genre;
  }
  void Get(size_t i, PageMovie* pMovie) const override { *pMovie = *order_[i]; }

 private:
  std::vector<const PageMovie*> order_;
};

}  // namespace

void AppendHtmlPage(std::string_view sCatalogueName,
                    const std::vector<PageMovie>& movies, std::string* pOut) {
  Page(sCatalogueName, SortedMovies(movies), pOut, nullptr);
}

bool WriteHtmlPage(std::string_view sCatalogueName, const PageMovies& movies,
                   const PageFlush& flush) {
  std::string sPiece;
  sPiece.reserve(kPiece + kPiece / 4);
  return Page(sCatalogueName, movies, &sPiece, &flush);
}
