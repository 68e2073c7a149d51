#include "html-escape.h"

namespace {

constexpr char kReplacement[] = "\xEF\xBF\xBD";  // U+FFFD

// The reference for `c` in text (and, with `bQuotes`, in an attribute), or
// null where the byte stands for itself.
const char* Reference(unsigned char c, bool bQuotes) {
  switch (c) {
    case '&': return "&amp;";
    case '<': return "&lt;";
    case '>': return "&gt;";
    case '"': return bQuotes ? "&quot;" : nullptr;
    case '\'': return bQuotes ? "&#39;" : nullptr;
    case '\t':
    case '\r': return nullptr;
    default:
      return c < 0x20 || c == 0x7F ? kReplacement : nullptr;
  }
}

void AppendEscaped(std::string_view sText, bool bQuotes, std::string* pOut) {
  // Runs of plain bytes are appended whole: most values have no byte to
  // escape at all.
  size_t iRun = 0;
  for (size_t i = 0; i < sText.size(); ++i) {
    const char* sRef = Reference(static_cast<unsigned char>(sText[i]), bQuotes);
    if (sRef == nullptr) continue;
    pOut->append(sText.data() + iRun, i - iRun);
    pOut->append(sRef);
    iRun = i + 1;
  }
  pOut->append(sText.data() + iRun, sText.size() - iRun);
}

bool Unreserved(unsigned char c) {
  return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') ||
         (c >= '0' && c <= '9') || c == '-' || c == '.' || c == '_' ||
         c == '~';
}

}  // namespace

void AppendHtmlText(std::string_view sText, std::string* pOut) {
  AppendEscaped(sText, false, pOut);
}

void AppendHtmlAttribute(std::string_view sText, std::string* pOut) {
  AppendEscaped(sText, true, pOut);
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
