#include "genres.h"

namespace {

std::string_view Trimmed(std::string_view s) {
  while (!s.empty() && s.front() == ' ') s.remove_prefix(1);
  while (!s.empty() && s.back() == ' ') s.remove_suffix(1);
  return s;
}

}  // namespace

std::vector<std::string> SplitGenres(std::string_view sGenre) {
  std::vector<std::string> names;
  // A leading or trailing " -" with its space cut off still separates.
  std::string padded = " ";
  padded.append(sGenre);
  padded.push_back(' ');
  std::string_view rest = padded;
  for (;;) {
    const size_t at = rest.find(" - ");
    const std::string_view name = Trimmed(rest.substr(0, at));
    if (!name.empty()) names.emplace_back(name);
    if (at == std::string_view::npos) break;
    // The separator's second space may open the next one (" -  - ").
    rest.remove_prefix(at + 2);
  }
  return names;
}

std::string JoinGenres(const std::vector<std::string>& names) {
  std::string sGenre;
  for (const std::string& name : names) {
    sGenre += " - ";
    sGenre += name;
  }
  return sGenre;
}
