#include "movie-ids.h"

#include "ascii.h"

namespace {

// A service id longer than this names no movie.
const size_t kMaxTmdbDigits = 12;

}  // namespace

bool IsTmdbId(std::string_view sId) {
  return sId.size() <= kMaxTmdbDigits && AllDigits(sId);
}

bool IsImdbId(std::string_view sId) {
  return sId.size() >= 9 && sId.size() <= 12 && sId.substr(0, 2) == "tt" &&
         AllDigits(sId.substr(2));
}

std::string ImdbIdIn(std::string_view sText) {
  if (IsImdbId(sText)) return std::string(sText);
  for (size_t at = sText.find("/title/"); at != std::string_view::npos;
       at = sText.find("/title/", at + 1)) {
    std::string_view rest = sText.substr(at + 7);
    size_t end = 2;
    while (end < rest.size() && rest[end] >= '0' && rest[end] <= '9') ++end;
    // The id ends where the digits do: at "/", "?", or the text's end.
    if (end < rest.size() && rest[end] != '/' && rest[end] != '?' &&
        rest[end] != '#')
      continue;
    if (IsImdbId(rest.substr(0, end))) return std::string(rest.substr(0, end));
  }
  return std::string();
}
