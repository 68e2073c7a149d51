// The Genre field as a list of names.
//
// Imports store genres as " - Drama - Mystery": each name after " - ". The
// site's pages sometimes give an empty name (" - Drama -  - Mystery"), and
// users type "Horror - Sci-Fi" by hand; a name may itself hold a hyphen
// ("Sci-Fi"), so only a hyphen with a space on each side separates.
#ifndef FLORRIN_APP_EXPORT_GENRES_H_
#define FLORRIN_APP_EXPORT_GENRES_H_

#include <string>
#include <string_view>
#include <vector>

// The names in the Genre value `sGenre`, in order, each without surrounding
// spaces; empty names are left out.
std::vector<std::string> SplitGenres(std::string_view sGenre);

// The same names as views into `sGenre`, stored in `*pNames` (emptied
// first): for a caller that splits many values and copies none of them.
void SplitGenreViews(std::string_view sGenre,
                     std::vector<std::string_view>* pNames);

// The Genre value that imports store for `names`: " - " before each name.
std::string JoinGenres(const std::vector<std::string>& names);

#endif  // FLORRIN_APP_EXPORT_GENRES_H_
