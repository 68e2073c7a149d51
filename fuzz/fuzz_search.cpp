// The choice of a search result and the lines of the search listing over
// arbitrary search pages; the input is the page, so real search pages make
// good seeds.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_support.h"
#include "imdb-search.h"
#include "output.h"
#include "print-imdb-search.h"

namespace {

const char kPage[] = "search.htm";

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::EnterScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(reinterpret_cast<const char*>(data), size);
  fuzz::WriteFile(kPage, page);

  // A chosen result is a page on the site's own host: a link that names
  // another host ("//evil/..." or "@evil/...") would send the download there.
  const sString sURL = resultAnalyze(kPage);
  if (sURL != kNothingFound) {
    const std::string_view host(kSiteHost);
    if (sURL.compare(0, host.size(), host) != 0)
      fuzz::Fail("search result not on the site", sURL);
    const std::string_view path = std::string_view(sURL).substr(host.size());
    if (path.empty() || path[0] != '/' || path.substr(0, 2) == "//")
      fuzz::Fail("search result is not a path on the site", sURL);
    if (sURL.find('\n') != sString::npos)
      fuzz::Fail("search result holds a line break", sURL);
  }

  // Each listed line prints one entry, never a line break (the page's lines
  // hold none), so the calling program always reads one line.
  fuzz::StdoutCapture capture;
  size_t start = 0;
  for (;;) {
    const size_t end = page.find('\n', start);
    printInfoLine(page.substr(start, end == std::string::npos ? end : end - start));
    if (end == std::string::npos) break;
    start = end + 1;
  }
  FlushOutput();
  const std::string out = capture.Take();
  if (out.find('\n') != std::string::npos)
    fuzz::Fail("listing line printed a line break", out);
  return 0;
}
