#include "service-address.h"

#include <vector>

#include "ascii.h"
#include "movie-ids.h"

namespace {

// A service movie id longer than this names no movie.
const size_t kMaxIdDigits = 12;

// The path's segments: the scheme and host are dropped ("scheme://host" or,
// without a scheme, a first segment that does not start with "/"), and so
// are the query and the fragment.
std::vector<std::string_view> PathSegments(std::string_view s) {
  const size_t end = s.find_first_of("?#");
  if (end != std::string_view::npos) s = s.substr(0, end);
  const size_t scheme = s.find("://");
  if (scheme != std::string_view::npos) s = s.substr(scheme + 3);
  if (!s.empty() && s[0] != '/') {
    const size_t slash = s.find('/');
    s = slash == std::string_view::npos ? std::string_view() : s.substr(slash);
  }
  std::vector<std::string_view> segments;
  size_t start = 0;
  while (start <= s.size()) {
    size_t next = s.find('/', start);
    if (next == std::string_view::npos) next = s.size();
    if (next > start) segments.push_back(s.substr(start, next - start));
    start = next + 1;
  }
  return segments;
}

}  // namespace

AddressKind ClassifyAddress(const sString& sAddress, sString* pId) {
  if (IsImdbId(sAddress)) {
    *pId = sAddress;
    return AddressKind::kImdbId;
  }
  const std::vector<std::string_view> segments = PathSegments(sAddress);
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    const std::string_view next = segments[i + 1];
    if (segments[i] == "movie" && IsDigit(next[0])) {
      size_t n = 0;
      while (n < next.size() && IsDigit(next[n])) ++n;
      if (n > kMaxIdDigits) continue;
      *pId = sString(next.substr(0, n));
      return AddressKind::kMovieId;
    }
  }
  for (size_t i = 0; i + 1 < segments.size(); ++i) {
    if (segments[i] == "title" && IsImdbId(segments[i + 1])) {
      *pId = sString(segments[i + 1]);
      return AddressKind::kImdbId;
    }
  }
  return AddressKind::kOther;
}

sString PercentEncode(std::string_view sText) {
  static const char kHex[] = "0123456789ABCDEF";
  sString sOut;
  for (const char c : sText) {
    const bool bKeep = (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') ||
                       IsDigit(c) || c == '-' || c == '.' || c == '_' ||
                       c == '~';
    if (bKeep) {
      sOut += c;
    } else {
      const unsigned char u = static_cast<unsigned char>(c);
      sOut += '%';
      sOut += kHex[u >> 4];
      sOut += kHex[u & 15];
    }
  }
  return sOut;
}

bool SplitYearHint(const sString& sTitle, sString* pWords, sString* pYear) {
  // " (YYYY)" is seven bytes, and at least one byte of words before it.
  const size_t n = sTitle.size();
  if (n < 8) return false;
  if (sTitle.compare(n - 7, 2, " (") != 0 || sTitle[n - 1] != ')') return false;
  for (size_t i = n - 5; i < n - 1; ++i) {
    if (!IsDigit(sTitle[i])) return false;
  }
  *pWords = sTitle.substr(0, n - 7);
  *pYear = sTitle.substr(n - 5, 4);
  return true;
}

bool SameTitle(std::string_view a, std::string_view b) {
  return EqualNoCase(a, b);
}
