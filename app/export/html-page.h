// The catalogue as one HTML page: a grid of cards with the posters, each
// opening to the rest of its record, a search box that filters as the user
// types, a sort and a genre choice.
//
// The page stands alone: its style and script are inline, allowed by their
// hashes in a Content-Security-Policy that forbids everything else (no
// network, no inline handler, no other script), and the posters are the
// catalogue's own files, named by addresses the caller works out
// (poster-address.h). Without JavaScript every card is shown in title order
// and still opens (a <details> element); the script only filters and sorts.
#ifndef FLORRIN_APP_EXPORT_HTML_PAGE_H_
#define FLORRIN_APP_EXPORT_HTML_PAGE_H_

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// One movie as the catalogue holds it: the values are the stored bytes
// (CatalogueToUtf8 makes them UTF-8 on the page).
struct PageMovie {
  std::string_view title;
  std::string_view plot;
  std::string_view tagline;
  std::string_view rate;
  std::string_view year;
  std::string_view director;
  std::string_view runtime;
  std::string_view comments;
  std::string_view cast;   // the Act field
  std::string_view genre;  // the Genre field, split by SplitGenres
  std::string_view type;
  // The poster's address, ready for the page (percent-encoded), or empty
  // for the placeholder that shows the title.
  std::string poster;
};

// Title order: unsigned byte order of the titles with ASCII capitals read as
// small letters, ties by plain byte order. The page's cards and its
// "Title" sort keep this order with and without JavaScript.
bool TitleBefore(std::string_view a, std::string_view b);

// The page's inline style and script, exactly as the page holds them (the
// bytes their CSP hashes are taken of).
std::string_view PageStyle();
std::string_view PageScript();

// The movies of a page, in the order the page shows them, looked up by
// their place: a caller with a hundred thousand movies hands them over one
// at a time instead of building a copy of each first.
class PageMovies {
 public:
  virtual ~PageMovies() = default;

  // How many movies the page shows.
  virtual size_t size() const = 0;

  // The Genre field as stored of one movie for each `i` from 0 to size()
  // - 1, the movies in any order (the page's genre choice only gathers
  // their names). The view stays valid until the page is written.
  virtual std::string_view GenreOf(size_t i) const = 0;

  // Sets `*pMovie` to movie `i`. The page hands the same object back each
  // time, so that the poster's string keeps its memory.
  virtual void Get(size_t i, PageMovie* pMovie) const = 0;
};

// Appends the whole page (UTF-8, HTML5) to `*pOut`: a header with
// `sCatalogueName` (bytes: UTF-8, else read as Windows-1252) and the number
// of movies, then one card per movie in title order (equal titles keep the
// order given).
void AppendHtmlPage(std::string_view sCatalogueName,
                    const std::vector<PageMovie>& movies, std::string* pOut);

// Takes the page written so far, `*pText`, writes it on and clears it;
// false when that failed.
using PageFlush = std::function<bool(std::string* pText)>;

// The same page for `movies` in the order they come, which the caller has
// put in title order (TitleBefore; equal titles as it likes), handed to
// `flush` a piece of about a megabyte at a time (and the rest at the end),
// so that a catalogue of any size needs no page held whole in memory. False
// as soon as a flush fails.
bool WriteHtmlPage(std::string_view sCatalogueName, const PageMovies& movies,
                   const PageFlush& flush);

#endif  // FLORRIN_APP_EXPORT_HTML_PAGE_H_
