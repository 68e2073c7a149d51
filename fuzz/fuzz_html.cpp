// The field scanner and the nine detail extractors over arbitrary pages.
//
// The input is the page itself, so real title pages make good seeds. Besides
// the extractors' own markers, the scanner is run with markers and
// terminators cut from the page, so that they are often present.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz_support.h"
#include "html-analizer.h"
#include "movie-details.h"

namespace {

const char kPage[] = "page.htm";

// What every successful scan gives: no line break (a stored value would
// forge lines), not more than the page and, for a one-byte terminator, not
// that byte.
void CheckScan(const std::string& page, const std::string& marker,
               const std::string& term) {
  const sString res = htmlAnalyze(kPage, marker, term);
  if (res == kErrInFetch) return;
  if (res.find('\n') != sString::npos)
    fuzz::Fail("htmlAnalyze result holds a line break", res);
  if (term.size() == 1 && term != "\n" && res.find(term[0]) != sString::npos)
    fuzz::Fail("htmlAnalyze result holds its terminator", res);
  if (res.size() > page.size())
    fuzz::Fail("htmlAnalyze result longer than the page", res);
}

void CheckField(const char* name, const sString& value, size_t limit) {
  if (value.find('\n') != sString::npos)
    fuzz::Fail(name, "holds a line break: " + value);
  if (value.size() > limit) fuzz::Fail(name, "grew beyond its bound");
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::EnterScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile(kPage, page);

  // A marker and a terminator taken from the page itself, placed by its
  // first bytes.
  const size_t at = size > 0 ? data[0] % size : 0;
  const size_t n = size > 1 ? data[1] % 24 : 0;
  const std::string marker = page.substr(at, n);
  const std::string term = size > 2 ? page.substr(data[2] % size, 1) : "<";
  CheckScan(page, marker, term);
  CheckScan(page, marker, "\n");
  CheckScan(page, marker, "");
  CheckScan(page, marker, "<>");
  CheckScan(page, "", term);

  // A scanned field is cut from the page, so it is never longer than it.
  // Cast and genre pieces may overlap (a piece runs to the next terminator,
  // past later openings), so they have no such bound; only the line break
  // rule holds for them.
  const size_t limit = page.size();
  const size_t unbounded = static_cast<size_t>(-1);
  CheckField("infoPlot", infoPlot(kPage), limit);
  CheckField("infoTagline", infoTagline(kPage), limit);
  CheckField("infoRate", infoRate(kPage), limit);
  CheckField("infoYear", infoYear(kPage), 4);
  CheckField("infoDirector", infoDirector(kPage), limit);
  CheckField("infoRuntime", infoRuntime(kPage), limit);
  CheckField("infoPic", infoPic(kPage), limit);
  CheckField("infoCast", infoCast(kPage), unbounded);
  CheckField("infoGenre", infoGenre(kPage), unbounded);
  return 0;
}
