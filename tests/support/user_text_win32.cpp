#include "support/user_text.h"

#include <windows.h>

namespace {

// The bytes of one character (at most two UTF-16 units) in the ANSI code
// page, without a look-alike: "?" when the page lacks it.
std::string OneInCodePage(const wchar_t* units, int n) {
  if (n == 2) return "?";  // beyond the 16-bit range: in no ANSI page
  const char kDefault = '?';
  char bytes[8];
  const int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, units, n,
                                    bytes, sizeof bytes, &kDefault, nullptr);
  return std::string(bytes, m > 0 ? static_cast<size_t>(m) : 0);
}

}  // namespace

std::string InCodePage(const std::string& utf8) {
  if (utf8.empty() || GetACP() == CP_UTF8) return utf8;
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], n);
  // Character by character, so that each one the page lacks is one "?".
  std::string text;
  for (size_t i = 0; i < wide.size();) {
    const bool bPair = wide[i] >= 0xD800 && wide[i] <= 0xDBFF &&
                       i + 1 < wide.size();
    const int units = bPair ? 2 : 1;
    text += OneInCodePage(&wide[i], units);
    i += static_cast<size_t>(units);
  }
  return text;
}

std::string ConfigFileIn(const std::string& home,
                         std::vector<std::string>* env) {
  env->push_back("APPDATA=" + home);
  return home + "\\Florrin\\florrin.conf";
}
