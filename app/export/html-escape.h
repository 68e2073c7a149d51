// Escaping for the places a catalogue value can take in an HTML page: text,
// a double-quoted attribute value, and a URL path.
//
// Catalogue values are anything a user or a web page put there, so none of
// them may end an element, open a new one or leave an attribute. The page
// puts every value through one of these and nothing else.
#ifndef FLORRIN_APP_EXPORT_HTML_ESCAPE_H_
#define FLORRIN_APP_EXPORT_HTML_ESCAPE_H_

#include <string>
#include <string_view>

// Appends the UTF-8 text `sText` to `*pOut` as element content: "&", "<" and
// ">" become references, and each control character other than tab and
// carriage return (which HTML takes as white space) becomes U+FFFD, which a
// page may hold. Valid in an element's text and in <title>.
void AppendHtmlText(std::string_view sText, std::string* pOut);

// As AppendHtmlText, and also "\"" and "'": for the value of an attribute
// written between double quotes.
void AppendHtmlAttribute(std::string_view sText, std::string* pOut);

// Appends `sBytes` percent-encoded: every byte but the letters, digits and
// "-", ".", "_", "~" becomes "%XX" (capital hex), so the result is one
// segment of a URL path that names exactly those bytes.
void AppendPercentEncoded(std::string_view sBytes, std::string* pOut);

#endif  // FLORRIN_APP_EXPORT_HTML_ESCAPE_H_
