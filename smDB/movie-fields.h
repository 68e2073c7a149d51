// The movie record's fields: the one list of their keys, in the order in which
// a record is written and printed. Internal to the catalogue.
#ifndef FLORRIN_SMDB_MOVIE_FIELDS_H_
#define FLORRIN_SMDB_MOVIE_FIELDS_H_

constexpr int kMovieFields = 11;

inline constexpr const char* kMovieKeys[kMovieFields] = {
    "plot",    "tagline", "rate", "year",  "director", "runtime",
    "comments", "pic",    "Act",  "Genre", "Type"};

// The position of "pic", whose printed value drops every "\r".
constexpr int kPicField = 7;

#endif  // FLORRIN_SMDB_MOVIE_FIELDS_H_
