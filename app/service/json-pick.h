// Reading only what is needed of a JSON document.
//
// An answer of the movie service may be up to 16 MiB, and a whole document
// built from that in memory can take many times its size: a deep nest of
// "[" alone took over a gigabyte. So the answers are read with the parser's
// event interface, and only the members a reader names are built; the rest
// is parsed and dropped as it goes by. How far the document nests, how long
// a single value may be and how many elements of an array are kept are
// bounded, so that no answer within the size cap takes more than a few
// times its own size to read.
#ifndef FLORRIN_APP_JSON_PICK_H_
#define FLORRIN_APP_JSON_PICK_H_

#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

// Which parts of a JSON value a reader keeps.
struct JsonShape {
  // Of an object: the members kept, each with the shape kept of it.
  std::vector<std::pair<std::string, const JsonShape*>> members;
  // Of an array: the shape kept of each element; null keeps none.
  const JsonShape* element = nullptr;
};

// The deepest nesting of objects and arrays an answer may have.
constexpr int kMaxJsonDepth = 64;
// The longest string or number an answer may hold, in bytes of its text.
// The service's texts are far shorter (an overview is a paragraph), and
// kept shorter, the few texts a record takes stay small beside the answer.
constexpr size_t kMaxJsonToken = size_t{64} << 10;
// The elements of an array that are kept; later ones are dropped.
constexpr size_t kMaxJsonElements = 20000;

// Parses `sText`, which must be one JSON document, and stores in `*pValue`
// what `shape` names of it: the members and elements the shape names, each
// kept by its own shape. A value whose shape keeps nothing below it is kept
// whole when it is no object or array, and as an empty one of its kind when
// it is, so its kind can still be told. A member named twice counts by its
// last value, as when the whole document is read. False, with `*pValue`
// null, when the text is no JSON document, nests deeper than kMaxJsonDepth,
// or holds a string or number longer than kMaxJsonToken. Never throws but
// std::bad_alloc.
bool ParsePicked(std::string_view sText, const JsonShape& shape,
                 nlohmann::json* pValue);

#endif  // FLORRIN_APP_JSON_PICK_H_
