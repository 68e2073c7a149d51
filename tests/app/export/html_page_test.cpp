// The page: its order, its cards, its policy, and that no value becomes
// markup.
#include "html-page.h"

#include <set>
#include <string>
#include <vector>

#include "gtest/gtest.h"
#include "sha256.h"

namespace {

PageMovie Movie(std::string_view title, std::string poster = "") {
  PageMovie m;
  m.title = title;
  m.poster = std::move(poster);
  return m;
}

std::string Page(const std::vector<PageMovie>& movies,
                 std::string_view name = "Movies") {
  std::string s;
  AppendHtmlPage(name, movies, &s);
  return s;
}

// The text between the first `open` after `from` and the `close` after it.
std::string Between(const std::string& s, const std::string& open,
                    const std::string& close, size_t from = 0) {
  const size_t a = s.find(open, from);
  if (a == std::string::npos) return "";
  const size_t b = s.find(close, a + open.size());
  if (b == std::string::npos) return "";
  return s.substr(a + open.size(), b - a - open.size());
}

std::vector<std::string> Titles(const std::string& page) {
  std::vector<std::string> titles;
  size_t at = 0;
  while ((at = page.find("<h2 class=\"title\">", at)) != std::string::npos) {
    titles.push_back(Between(page, "<h2 class=\"title\">", "</h2>", at));
    ++at;
  }
  return titles;
}

TEST(HtmlPageTest, TitleOrderIgnoresAsciiCaseThenBytes) {
  const std::pair<const char*, const char*> before[] = {
      {"alien", "Brazil"},   {"Alien", "alien"},   {"Alien", "Aliens"},
      {"_x", "a"},           {"Z", "\xC3\xA9"},    {"", "A"},
      {"a b", "ab"},         {"Alien 2", "alien 3"},
  };
  for (const auto& c : before) {
    EXPECT_TRUE(TitleBefore(c.first, c.second)) << c.first << " < " << c.second;
    EXPECT_FALSE(TitleBefore(c.second, c.first)) << c.second << " > " << c.first;
  }
  EXPECT_FALSE(TitleBefore("Same", "Same"));
}

TEST(HtmlPageTest, CardsInTitleOrderEqualTitlesAsGiven) {
  PageMovie first = Movie("Twin"), second = Movie("Twin");
  first.year = "1";
  second.year = "2";
  const std::string page =
      Page({Movie("brazil"), first, Movie("Alien"), second, Movie("_x")});
  EXPECT_EQ((std::vector<std::string>{"_x", "Alien", "brazil", "Twin", "Twin"}),
            Titles(page));
  EXPECT_LT(page.find("<span class=\"year\">1<"),
            page.find("<span class=\"year\">2<"));
  EXPECT_NE(std::string::npos, page.find(">5 movies</p>"));
}

TEST(HtmlPageTest, PolicyAllowsExactlyTheInlineStyleAndScript) {
  const std::string page = Page({Movie("Alien")});
  const std::string policy =
      Between(page, "http-equiv=\"Content-Security-Policy\" content=\"", "\"");
  const std::string style = Between(page, "<style>", "</style>");
  const std::string script = Between(page, "<script>", "</script>");
  EXPECT_EQ(std::string(PageStyle()), style);
  EXPECT_EQ(std::string(PageScript()), script);
  EXPECT_NE(std::string::npos, policy.find("default-src 'none'"));
  EXPECT_NE(std::string::npos,
            policy.find("style-src " + CspHashSource(style) + ";"));
  EXPECT_NE(std::string::npos,
            policy.find("script-src " + CspHashSource(script) + ";"));
  EXPECT_EQ(std::string::npos, policy.find("unsafe"));
  // The policy comes before anything it governs.
  EXPECT_LT(page.find("Content-Security-Policy"), page.find("<style>"));
}

TEST(HtmlPageTest, StyleAndScriptCannotEndTheirElementEarly) {
  for (std::string s : {std::string(PageStyle()), std::string(PageScript())}) {
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(std::string::npos, s.find("</style"));
    EXPECT_EQ(std::string::npos, s.find("</script"));
    EXPECT_EQ(std::string::npos, s.find("<!--"));
    EXPECT_FALSE(s.empty());
  }
}

TEST(HtmlPageTest, PosterOrPlaceholderShowingTheTitle) {
  const std::string page = Page(
      {Movie("Alien", "../Movies/Alien.jpg"), Movie("Brazil"),
       Movie("Q \"x\"", "Q%20x.jpg")});
  EXPECT_NE(std::string::npos,
            page.find("<img class=\"poster\" src=\"../Movies/Alien.jpg\" "
                      "alt=\"Alien\" loading=\"lazy\""));
  EXPECT_NE(std::string::npos,
            page.find("<div class=\"poster none\"><span>Brazil</span></div>"));
  EXPECT_NE(std::string::npos,
            page.find("src=\"Q%20x.jpg\" alt=\"Q &quot;x&quot;\""));
}

// Every tag of the page's body and every attribute name in it, read the way
// a browser tokenises them (values are double-quoted).
void Tags(const std::string& body, std::set<std::string>* pTags,
          std::set<std::string>* pAttributes) {
  size_t i = 0;
  while ((i = body.find('<', i)) != std::string::npos) {
    size_t j = i + 1;
    if (j < body.size() && body[j] == '/') ++j;
    size_t k = j;
    while (k < body.size() && std::isalnum(static_cast<unsigned char>(body[k]))) ++k;
    pTags->insert(body.substr(j, k - j));
    while (k < body.size() && body[k] != '>') {
      if (body[k] == '"') {
        k = body.find('"', k + 1);
        ASSERT_NE(std::string::npos, k);
        ++k;
        continue;
      }
      if (std::isalpha(static_cast<unsigned char>(body[k]))) {
        size_t e = k;
        while (e < body.size() && (std::isalnum(static_cast<unsigned char>(body[e])) || body[e] == '-')) ++e;
        pAttributes->insert(body.substr(k, e - k));
        k = e;
        continue;
      }
      ++k;
    }
    i = k;
  }
}

TEST(HtmlPageTest, NoValueBecomesMarkup) {
  const char* hostile[] = {
      "<script>alert(1)</script>",
      "<img src=x onerror=\"alert(1)\">",
      "\"><svg onload=alert(1)>",
      "'><iframe src=//example.org>",
      "</textarea></title></style><a href=javascript:alert(1)>",
      " - <b onclick=x>B</b> - Drama",
      "&lt;script&gt;",
  };
  const std::set<std::string> allowed_tags = {
      "body", "header", "div", "h1", "p", "input", "select", "option",
      "main", "ul", "li", "img", "span", "h2", "details", "summary", "dl",
      "dt", "dd", ""};
  const std::set<std::string> allowed_attributes = {
      "class", "id", "hidden", "type", "placeholder", "aria-label",
      "autocomplete", "spellcheck", "value", "aria-live", "src", "alt",
      "loading", "decoding", "width", "height"};
  for (const char* value : hostile) {
    PageMovie m;
    m.title = m.plot = m.tagline = m.rate = m.year = m.director = m.runtime =
        m.comments = m.cast = m.genre = m.type = value;
    m.poster = "A.jpg";
    const std::string page = Page({m, Movie("Plain")}, value);
    const std::string body = Between(page, "<body>", "<script>");
    std::set<std::string> tags, attributes;
    Tags(body, &tags, &attributes);
    for (const std::string& t : tags) EXPECT_EQ(1u, allowed_tags.count(t)) << t << " from " << value;
    for (const std::string& a : attributes)
      EXPECT_EQ(1u, allowed_attributes.count(a)) << a << " from " << value;
    const std::string head = Between(page, "<title>", "</title>");
    EXPECT_EQ(std::string::npos, head.find('<')) << value;
  }
}

TEST(HtmlPageTest, TextBecomesUtf8AndTheGenreChoiceListsEachGenreOnce) {
  PageMovie a = Movie("caf\xE9");  // not UTF-8: Windows-1252
  a.genre = " - Drama - Sci-Fi";
  // One byte of é: Windows-1252 on POSIX, the ANSI code page on Windows.
  a.cast = " - Audrey Tautou - Am\xE9lie";
  PageMovie b = Movie("B");
  b.genre = "comedy - Drama";
  const std::string page = Page({a, b}, "Fil\xE9s");
  EXPECT_NE(std::string::npos, page.find("<h2 class=\"title\">caf\xC3\xA9</h2>"));
  EXPECT_NE(std::string::npos, page.find("<h1>Fil\xC3\xA9s</h1>"));
  EXPECT_NE(std::string::npos,
            page.find("<dd class=\"cast\">Audrey Tautou, Am\xC3\xA9lie</dd>"));
  EXPECT_EQ("<option value=\"\">All genres</option>"
            "<option value=\"comedy\">comedy</option>"
            "<option value=\"Drama\">Drama</option>"
            "<option value=\"Sci-Fi\">Sci-Fi</option>",
            Between(page, "<select id=\"genre\" aria-label=\"Genre\">",
                    "</select>"));
}

TEST(HtmlPageTest, EmptyCatalogueSaysSo) {
  const std::string page = Page({});
  EXPECT_NE(std::string::npos, page.find(">0 movies</p>"));
  EXPECT_NE(std::string::npos, page.find("holds no movies yet"));
  EXPECT_TRUE(Titles(page).empty());
}

TEST(HtmlPageTest, EveryCardOpensEvenWithNothingMoreToShow) {
  PageMovie full = Movie("Full");
  full.plot = "A plot.";
  full.type = "DVD";
  const std::string page = Page({full, Movie("Bare")});
  size_t n = 0;
  for (size_t at = 0; (at = page.find("<details><summary>More</summary>", at)) != std::string::npos; ++at) ++n;
  EXPECT_EQ(2u, n);
  EXPECT_NE(std::string::npos, page.find("<p class=\"plot\">A plot.</p>"));
  EXPECT_NE(std::string::npos, page.find("<dt>Type</dt><dd class=\"type\">DVD</dd>"));
  EXPECT_NE(std::string::npos, page.find("Nothing more is noted."));
}

// Movies already in title order, their genres gathered back to front.
class GivenMovies : public PageMovies {
 public:
  explicit GivenMovies(const std::vector<PageMovie>& movies) : movies_(movies) {}
  size_t size() const override { return movies_.size(); }
  std::string_view GenreOf(size_t i) const override {
    return movies_[movies_.size() - 1 - i].genre;
  }
  void Get(size_t i, PageMovie* pMovie) const override { *pMovie = movies_[i]; }

 private:
  const std::vector<PageMovie>& movies_;
};

TEST(HtmlPageTest, WrittenInPiecesTheSamePageAsWhole) {
  // Enough movies for several pieces of about a megabyte, in title order,
  // sharing genre values (one of them not UTF-8) in many combinations.
  const std::string plot(400, 'p');
  const char* genres[] = {" - Drama - Com\xE9" "die", "Com\xE9" "die - War",
                          "", " - War - drama", "Drama"};
  std::vector<std::string> titles;
  for (int i = 0; i < 6000; ++i)
    titles.push_back("Movie " + std::to_string(100000 + i));
  std::vector<PageMovie> movies;
  for (int i = 0; i < 6000; ++i) {
    PageMovie m =
        Movie(titles[i], i % 3 == 0 ? "p" + std::to_string(i) + ".jpg" : "");
    m.plot = plot;
    m.genre = genres[i % 5];
    movies.push_back(m);
  }
  std::string whole;
  AppendHtmlPage("Movies", movies, &whole);
  std::string pieces;
  int iFlushes = 0;
  ASSERT_TRUE(WriteHtmlPage("Movies", GivenMovies(movies), [&](std::string* p) {
    ++iFlushes;
    pieces += *p;
    p->clear();
    return true;
  }));
  EXPECT_GT(iFlushes, 2);
  EXPECT_TRUE(whole == pieces);
  EXPECT_EQ("<option value=\"\">All genres</option>"
            "<option value=\"Com\xC3\xA9" "die\">Com\xC3\xA9" "die</option>"
            "<option value=\"Drama\">Drama</option>"
            "<option value=\"drama\">drama</option>"
            "<option value=\"War\">War</option>",
            Between(pieces, "<select id=\"genre\" aria-label=\"Genre\">",
                    "</select>"));

  // A flush that fails ends the page there.
  int iCalls = 0;
  EXPECT_FALSE(
      WriteHtmlPage("Movies", GivenMovies(movies), [&](std::string* p) {
        p->clear();
        return ++iCalls < 2;
      }));
  EXPECT_EQ(2, iCalls);
}

}  // namespace
