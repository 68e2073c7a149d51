#include "html-page.h"

#include <algorithm>
#include <cstddef>

#include "catalogue-utf8.h"
#include "genres.h"
#include "html-escape.h"
#include "sha256.h"

namespace {

inline unsigned char Folded(char ch) {
  const unsigned char c = static_cast<unsigned char>(ch);
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

bool IsAscii(std::string_view s) {
  for (const char c : s) {
    if (static_cast<unsigned char>(c) >= 0x80) return false;
  }
  return true;
}

// A stored value as UTF-8 (most values are ASCII and need no copy).
class Utf8 {
 public:
  explicit Utf8(std::string_view sStored) {
    if (IsAscii(sStored)) {
      view_ = sStored;
    } else {
      copy_ = CatalogueToUtf8(sStored);
      view_ = copy_;
    }
  }
  std::string_view view() const { return view_; }

 private:
  std::string copy_;
  std::string_view view_;
};

void Text(std::string_view sStored, std::string* pOut) {
  AppendHtmlText(Utf8(sStored).view(), pOut);
}

void Attribute(std::string_view sStored, std::string* pOut) {
  AppendHtmlAttribute(Utf8(sStored).view(), pOut);
}

// <TAG class="CLASS">value</TAG>, nothing for an empty value.
void Element(const char* sTag, const char* sClass, std::string_view sStored,
             std::string* pOut) {
  if (sStored.empty()) return;
  *pOut += '<';
  *pOut += sTag;
  *pOut += " class=\"";
  *pOut += sClass;
  *pOut += "\">";
  Text(sStored, pOut);
  *pOut += "</";
  *pOut += sTag;
  *pOut += '>';
}

// A <dt>/<dd> pair of the card's details, nothing for an empty value.
void Detail(const char* sName, const char* sClass, std::string_view sValue,
            std::string* pOut) {
  if (sValue.empty()) return;
  *pOut += "<dt>";
  *pOut += sName;
  *pOut += "</dt><dd class=\"";
  *pOut += sClass;
  *pOut += "\">";
  AppendHtmlText(sValue, pOut);
  *pOut += "</dd>";
}

std::string CastLine(std::string_view sCast) {
  std::string sLine;
  for (const std::string& name : SplitGenres(Utf8(sCast).view())) {
    if (!sLine.empty()) sLine += ", ";
    sLine += name;
  }
  return sLine;
}

void AppendCard(const PageMovie& m, std::string* pOut) {
  *pOut += "<li class=\"card\">";
  if (m.poster.empty()) {
    *pOut += "<div class=\"poster none\"><span>";
    Text(m.title, pOut);
    *pOut += "</span></div>";
  } else {
    *pOut += "<img class=\"poster\" src=\"";
    AppendHtmlAttribute(m.poster, pOut);
    *pOut += "\" alt=\"";
    Attribute(m.title, pOut);
    *pOut += "\" loading=\"lazy\" decoding=\"async\" width=\"200\" "
             "height=\"300\">";
  }
  *pOut += "<div class=\"info\"><h2 class=\"title\">";
  Text(m.title, pOut);
  *pOut += "</h2>";
  if (!m.year.empty() || !m.runtime.empty() || !m.rate.empty()) {
    *pOut += "<p class=\"meta\">";
    Element("span", "year", m.year, pOut);
    Element("span", "runtime", m.runtime, pOut);
    Element("span", "rate", m.rate, pOut);
    *pOut += "</p>";
  }
  Element("p", "director", m.director, pOut);
  const std::vector<std::string> genres = SplitGenres(Utf8(m.genre).view());
  if (!genres.empty()) {
    *pOut += "<ul class=\"genres\">";
    for (const std::string& g : genres) {
      *pOut += "<li class=\"genre\">";
      AppendHtmlText(g, pOut);
      *pOut += "</li>";
    }
    *pOut += "</ul>";
  }
  *pOut += "<details><summary>More</summary>";
  Element("p", "tagline", m.tagline, pOut);
  Element("p", "plot", m.plot, pOut);
  const std::string sCast = CastLine(m.cast);
  const Utf8 comments(m.comments), type(m.type);
  if (!sCast.empty() || !m.comments.empty() || !m.type.empty()) {
    *pOut += "<dl>";
    Detail("Cast", "cast", sCast, pOut);
    Detail("Comments", "comments", comments.view(), pOut);
    Detail("Type", "type", type.view(), pOut);
    *pOut += "</dl>";
  }
  if (m.tagline.empty() && m.plot.empty() && sCast.empty() &&
      m.comments.empty() && m.type.empty())
    *pOut += "<p class=\"nothing\">Nothing more is noted.</p>";
  *pOut += "</details></div></li>\n";
}

// The genre choice: every genre name present, once, in title order.
void AppendGenreOptions(const std::vector<PageMovie>& movies,
                        std::string* pOut) {
  std::vector<std::string> names;
  for (const PageMovie& m : movies) {
    for (std::string& g : SplitGenres(Utf8(m.genre).view()))
      names.push_back(std::move(g));
  }
  std::sort(names.begin(), names.end(),
            [](const std::string& a, const std::string& b) {
              return TitleBefore(a, b);
            });
  names.erase(std::unique(names.begin(), names.end()), names.end());
  for (const std::string& g : names) {
    *pOut += "<option value=\"";
    AppendHtmlAttribute(g, pOut);
    *pOut += "\">";
    AppendHtmlText(g, pOut);
    *pOut += "</option>";
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

bool Page(std::string_view sCatalogueName,
          const std::vector<PageMovie>& movies, std::string* pOut,
          const PageFlush* pFlush) {
  std::vector<const PageMovie*> order;
  order.reserve(movies.size());
  for (const PageMovie& m : movies) order.push_back(&m);
  std::stable_sort(order.begin(), order.end(),
                   [](const PageMovie* a, const PageMovie* b) {
                     return TitleBefore(a->title, b->title);
                   });
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
  for (const PageMovie* m : order) {
    AppendCard(*m, pOut);
    if (pFlush != nullptr && pOut->size() >= kPiece && !(*pFlush)(pOut))
      return false;
  }
  *pOut += "</ul>\n";
  if (movies.empty())
    *pOut += "<p class=\"empty\">This catalogue holds no movies yet.</p>\n";
  *pOut += "<p class=\"empty\" id=\"none\" hidden>No movie matches.</p>\n"
           "</main>\n<script>";
  pOut->append(PageScript());
  *pOut += "</script>\n</body>\n</html>\n";
  return pFlush == nullptr || (*pFlush)(pOut);
}

}  // namespace

void AppendHtmlPage(std::string_view sCatalogueName,
                    const std::vector<PageMovie>& movies, std::string* pOut) {
  Page(sCatalogueName, movies, pOut, nullptr);
}

bool WriteHtmlPage(std::string_view sCatalogueName,
                   const std::vector<PageMovie>& movies,
                   const PageFlush& flush) {
  std::string sPiece;
  sPiece.reserve(kPiece + kPiece / 4);
  return Page(sCatalogueName, movies, &sPiece, &flush);
}
