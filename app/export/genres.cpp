#include "genres.h"

namespace {

std::string_view WithoutSpaces(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

void SplitGenreViews(std::string_view sGenre,
                     std::vector<std::string_view>* pNames) {
  pNames->clear();
  // A separator is a hyphen with a space, or the value's start or end, on
  // each side: " - ", and a leading "- " or trailing " -" with its outer
  // space cut off. A separator's space may also begin the next one
  // (" -  - " and " - - " hold two).
  const size_t n = sGenre.size();
  size_t iName = 0;
  for (size_t i = 0; i <= n; ++i) {
    if (i < n) {
      if (sGenre[i] != '-') continue;
      const bool bSpaceBefore = i == 0 || sGenre[i - 1] == ' ';
      const bool bSpaceAfter = i + 1 == n || sGenre[i + 1] == ' ';
      if (!bSpaceBefore || !bSpaceAfter) continue;
    }
    const std::string_view name = WithoutSpaces(sGenre.substr(iName, i - iName));
    if (!name.empty()) pNames->push_back(name);
    iName = i + 1;
  }
}

std::vector<std::string> SplitGenres(std::string_view sGenre) {
  std::vector<std::string_view> views;
  SplitGenreViews(sGenre, &views);
  return std::vector<std::string>(views.begin(), views.end());
}

std::string JoinGenres(const std::vector<std::string>& names) {
  std::string sGenre;
  for (const std::string& name : names) {
    sGenre += " - ";
    sGenre += name;
  }
  return sGenre;
}
