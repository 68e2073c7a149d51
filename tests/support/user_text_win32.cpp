#include "support/user_text.h"

#include <windows.h>

std::string InCodePage(const std::string& utf8) {
  if (utf8.empty()) return utf8;
  const int n = MultiByteToWideChar(CP_UTF8, 0, utf8.data(),
                                    static_cast<int>(utf8.size()), nullptr, 0);
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()),
                      &wide[0], n);
  const char kDefault = '?';
  const int m = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(),
                                    n, nullptr, 0, &kDefault, nullptr);
  std::string text(static_cast<size_t>(m), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wide.data(), n, &text[0],
                      m, &kDefault, nullptr);
  return text;
}

std::string ConfigFileIn(const std::string& home,
                         std::vector<std::string>* env) {
  env->push_back("APPDATA=" + home);
  return home + "\\Florrin\\florrin.conf";
}
