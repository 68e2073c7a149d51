#include "html-escape.h"

#include <cstddef>

namespace {

// What a byte becomes: itself (0), or one of the references below.
enum Ref : unsigned char { kSelf, kAmp, kLt, kGt, kQuot, kApos, kFffd };

struct RefText {
  const char* text;
  size_t size;
};
constexpr RefText kRefs[] = {
    {"", 0},        {"&amp;", 5}, {"&lt;", 4},          {"&gt;", 4},
    {"&quot;", 6},  {"&#39;", 5}, {"\xEF\xBF\xBD", 3},  // U+FFFD
};

// Each byte's reference in text (and, with `bQuotes`, in an attribute):
// markup characters become references, control characters other than tab
// and carriage return (which HTML takes as white space) become U+FFFD.
struct EscapeTable {
  unsigned char ref[256];
};
constexpr EscapeTable MakeTable(bool bQuotes) {
  EscapeTable t{};
  for (int c = 0; c < 0x20; ++c) t.ref[c] = kFffd;
  t.ref[0x7F] = kFffd;
  t.ref[static_cast<unsigned char>('\t')] = kSelf;
  t.ref[static_cast<unsigned char>('\r')] = kSelf;
  t.ref[static_cast<unsigned char>('&')] = kAmp;
  t.ref[static_cast<unsigned char>('<')] = kLt;
  t.ref[static_cast<unsigned char>('>')] = kGt;
  if (bQuotes) {
    t.ref[static_cast<unsigned char>('"')] = kQuot;
    t.ref[static_cast<unsigned char>('\'')] = kApos;
  }
  return t;
}
constexpr EscapeTable kText = MakeTable(false);
constexpr EscapeTable kAttribute = MakeTable(true);

// A page holds every value of the catalogue: one table look-up a byte, and
// runs of plain bytes appended whole (most values have no byte to escape).
void AppendEscaped(std::string_view sText, const EscapeTable& table,
                   std::string* pOut) {
  const char* const data = sText.data();
  const size_t n = sText.size();
  size_t iRun = 0;
  for (size_t i = 0; i < n; ++i) {
    const unsigned char ref = table.ref[static_cast<unsigned char>(data[i])];
    if (ref == kSelf) continue;
    pOut->append(data + iRun, i - iRun);
    pOut->append(kRefs[ref].text, kRefs[ref].size);
    iRun = i + 1;
  }
  pOut->append(data + iRun, n - iRun);
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
         c == '~';
}

}  // namespace

void AppendHtmlText(std::string_view sText, std::string* pOut) {
  AppendEscaped(sText, kText, pOut);
}

void AppendHtmlAttribute(std::string_view sText, std::string* pOut) {
  AppendEscaped(sText, kAttribute, pOut);
}

void AppendPercentEncoded(std::string_view sBytes, std::string* pOut) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : sBytes) {
    const unsigned char c = static_cast<unsigned char>(ch);
    if (Unreserved(c)) {
      pOut->push_back(ch);
    } else {
      pOut->push_back('%');
      pOut->push_back(kHex[c >> 4]);
      pOut->push_back(kHex[c & 0xF]);
    }
  }
}
