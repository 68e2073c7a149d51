// The one place where tests know how the system hands text to Florrin and
// keeps its settings: on Windows, arguments and the catalogue are in the
// ANSI code page and florrin.conf lives under %APPDATA%; elsewhere text is
// UTF-8 and the file under ~/.config.
#ifndef FLORRIN_TESTS_SUPPORT_USER_TEXT_H_
#define FLORRIN_TESTS_SUPPORT_USER_TEXT_H_

#include <string>
#include <vector>

// `utf8` as Florrin stores and prints a text of the movie service: itself on
// POSIX systems; on Windows in the ANSI code page, "?" for each character
// the page lacks (user_text_<platform>.cpp).
std::string InCodePage(const std::string& utf8);

// The path of florrin.conf for a run whose home folder is `home`, adding to
// `*env` what that run needs to find it there (APPDATA on Windows).
std::string ConfigFileIn(const std::string& home,
                         std::vector<std::string>* env);

#endif  // FLORRIN_TESTS_SUPPORT_USER_TEXT_H_
