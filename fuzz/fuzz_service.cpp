// The readers of the movie service's answers (search, find, details, error
// body) over arbitrary bytes; recorded answers (tests/fixtures/site/api)
// make good seeds. Each reader must give a failure value, never throw or
// crash, and every text it gives must fit on one catalogue line.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_support.h"
#include "service-json.h"

namespace {

void CheckLine(std::string_view what, const sString& text) {
  for (const char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t')
      fuzz::Fail(std::string(what) + " holds a control byte", text);
  }
}

bool AllDigits(const sString& text) {
  if (text.empty()) return false;
  for (const char c : text) {
    if (c < '0' || c > '9') return false;
  }
  return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view body(reinterpret_cast<const char*>(data), size);

  std::vector<ServiceMatch> matches;
  if (ReadSearchAnswer(body, &matches)) {
    for (const ServiceMatch& m : matches) {
      // The id goes into a request's path: digits only.
      if (!AllDigits(m.sId)) fuzz::Fail("search id is not digits", m.sId);
      CheckLine("search title", m.sTitle);
      CheckLine("search original title", m.sOriginalTitle);
      if (!m.sYear.empty() && (m.sYear.size() != 4 || !AllDigits(m.sYear)))
        fuzz::Fail("search year is not four digits", m.sYear);
    }
  }

  sString id;
  if (ReadFindAnswer(body, &id) && !AllDigits(id))
    fuzz::Fail("find id is not digits", id);

  ServiceMovie movie;
  if (ReadMovieAnswer(body, &movie)) {
    for (const sString& field : {movie.sPlot, movie.sTag, movie.sRate,
                                 movie.sYear, movie.sDir, movie.sTime,
                                 movie.sAct, movie.sGen, movie.sPosterPath})
      CheckLine("movie field", field);
    // The poster path goes after the image base: a plain path only.
    const sString& p = movie.sPosterPath;
    if (!p.empty() && (p[0] != '/' || p.find_first_of("?#@:\\ %") != sString::npos ||
                       p.find("..") != sString::npos))
      fuzz::Fail("poster path is not a plain path", p);
    const sString& r = movie.sRate;
    if (!r.empty() && (r.size() < 6 || r.compare(r.size() - 3, 3, "/10") != 0))
      fuzz::Fail("rate is not N.N/10", r);
  }

  CheckLine("status message", ReadStatusMessage(body));
  return 0;
}
