// The one place where tests know how the system ends text lines.
//
// Florrin writes its catalogue lines, and its one line-ended answer, with the
// system's line end: "\r\n" on Windows, "\n" elsewhere. Tests state what
// Florrin writes with "\n" and pass it through Written(); bytes a test put
// into a file itself, and that Florrin copies, stay as they are.
#ifndef FLORRIN_TESTS_SUPPORT_EOL_H_
#define FLORRIN_TESTS_SUPPORT_EOL_H_

#include <string>

// The system's line end (eol_<platform>.cpp).
extern const char kEol[];

// `text` with every "\n" replaced by the system's line end.
inline std::string Written(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\n') {
      out += kEol;
    } else {
      out += c;
    }
  }
  return out;
}

#endif  // FLORRIN_TESTS_SUPPORT_EOL_H_
