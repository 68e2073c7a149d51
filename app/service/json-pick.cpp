#include "json-pick.h"

namespace {

using Json = nlohmann::json;

// True when no string or number in `sText` is longer than kMaxJsonToken
// bytes. The parser collects each token whole, growing its buffer as it
// goes, before it hands the token on: a single value of 16 MiB would take
// three times that while the buffer grows. Strings are measured by their
// bytes in the text, escapes included, which is at least what they take
// once decoded.
bool TokensFit(std::string_view sText) {
  size_t iRun = 0;  // bytes of the string or number in hand
  bool bString = false;
  for (size_t i = 0; i < sText.size(); ++i) {
    const char c = sText[i];
    if (bString) {
      if (c == '"') {
        bString = false;
        iRun = 0;
        continue;
      }
      if (c == '\\') ++i, ++iRun;  // the escaped byte is no string end
    } else if (c == '"') {
      bString = true;
      iRun = 0;
      continue;
    } else if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' ||
                 c == 'e' || c == 'E')) {
      iRun = 0;
      continue;
    }
    if (++iRun > kMaxJsonToken) return false;
  }
  return true;
}

// The parser's event handler (its SAX interface) that builds the parts of
// the document a shape names. Containers kept are open on a stack; inside
// a container that is dropped only the depth is counted.
class PickingBuilder {
 public:
  PickingBuilder(const JsonShape* shape, Json* root)
      : root_(root), rootShape_(shape) {}

  bool null() { return Scalar(nullptr); }
  bool boolean(bool b) { return Scalar(b); }
  bool number_integer(Json::number_integer_t i) { return Scalar(i); }
  bool number_unsigned(Json::number_unsigned_t u) { return Scalar(u); }
  bool number_float(Json::number_float_t d, const Json::string_t&) {
    return Scalar(d);
  }
  bool string(Json::string_t& s) {
    const JsonShape* shape;
    Json* at = Destination(&shape);
    if (at != nullptr) *at = s;
    return true;
  }
  // JSON text has no binary values; only other input formats make them.
  bool binary(Json::binary_t&) { return Scalar(nullptr); }
  bool start_object(size_t) { return Open(Json::value_t::object); }
  bool start_array(size_t) { return Open(Json::value_t::array); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(Json::string_t& sKey) {
    next_ = nullptr;
    if (skipped_ > 0) return true;
    const Level& top = open_.back();
    for (const auto& member : top.shape->members) {
      if (member.first != sKey) continue;
      // A member named again replaces the one before, as a whole document
      // read would have it.
      next_ = &(*top.value)[sKey];
      nextShape_ = member.second;
      break;
    }
    return true;
  }

  bool parse_error(size_t, const std::string&,
                   const nlohmann::detail::exception&) {
    return false;
  }

 private:
  struct Level {
    Json* value;
    const JsonShape* shape;
  };

  // Where the value that begins now goes, and its shape; null when it is
  // dropped.
  Json* Destination(const JsonShape** ppShape) {
    if (skipped_ > 0) return nullptr;
    if (open_.empty()) {
      if (bRootTaken_) return nullptr;
      bRootTaken_ = true;
      *ppShape = rootShape_;
      return root_;
    }
    const Level& top = open_.back();
    if (top.value->is_object()) {
      Json* at = next_;
      next_ = nullptr;
      *ppShape = nextShape_;
      return at;
    }
    if (top.shape->element == nullptr || top.value->size() >= kMaxJsonElements)
      return nullptr;
    // An element is added only once the one before has been closed, so the
    // pointers on the stack stay valid.
    top.value->push_back(nullptr);
    *ppShape = top.shape->element;
    return &top.value->back();
  }

  template <typename T>
  bool Scalar(T value) {
    const JsonShape* shape;
    Json* at = Destination(&shape);
    if (at != nullptr) *at = value;
    return true;
  }

  bool Open(Json::value_t kind) {
    if (open_.size() + skipped_ >= static_cast<size_t>(kMaxJsonDepth))
      return false;
    const JsonShape* shape = nullptr;
    Json* at = Destination(&shape);
    if (at == nullptr) {
      ++skipped_;
      return true;
    }
    *at = Json(kind);
    const bool bKeepsInside = kind == Json::value_t::object
                                  ? !shape->members.empty()
                                  : shape->element != nullptr;
    // A container of nothing kept is kept empty, its content dropped.
    if (bKeepsInside) {
      open_.push_back({at, shape});
    } else {
      ++skipped_;
    }
    return true;
  }

  bool Close() {
    if (skipped_ > 0) {
      --skipped_;
    } else {
      open_.pop_back();
    }
    return true;
  }

  Json* root_;
  const JsonShape* rootShape_;
  bool bRootTaken_ = false;
  std::vector<Level> open_;  // the containers kept and open, innermost last
  size_t skipped_ = 0;       // containers open inside a dropped value
  Json* next_ = nullptr;     // where the member whose key came goes
  const JsonShape* nextShape_ = nullptr;
};

}  // namespace

bool ParsePicked(std::string_view sText, const JsonShape& shape,
                 Json* pValue) {
  *pValue = nullptr;
  if (!TokensFit(sText)) return false;
  PickingBuilder builder(&shape, pValue);
  if (Json::sax_parse(sText.begin(), sText.end(), &builder)) return true;
  *pValue = nullptr;
  return false;
}
