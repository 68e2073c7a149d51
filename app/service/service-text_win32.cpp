// Windows: the catalogue and the narrow arguments are in the ANSI code page.
//
// These conversions differ on purpose from Widen and Narrow
// (base/wide-name_win32.h), which convert file names: a file name that
// cannot be converted exactly must fail, since a look-alike would name
// another file, while a text for the catalogue takes "?" for what the code
// page lacks and goes on.
#include "service-text.h"

#include <windows.h>
#include <shellapi.h>

#include <string>

namespace {

std::wstring FromCodePage(UINT page, const sString& sText) {
  if (sText.empty()) return std::wstring();
  const int n = MultiByteToWideChar(page, 0, sText.data(),
                                    static_cast<int>(sText.size()), nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(page, 0, sText.data(), static_cast<int>(sText.size()),
                      &wide[0], n);
  return wide;
}

sString ToCodePage(UINT page, DWORD flags, const std::wstring& wide) {
  if (wide.empty()) return sString();
  // The default character is given only where the page allows it (not for
  // UTF-8, where every character has its bytes).
  const char kDefault = '?';
  const bool bAnsi = page != CP_UTF8;
  const int n = WideCharToMultiByte(page, flags, wide.data(),
                                    static_cast<int>(wide.size()), nullptr, 0,
                                    bAnsi ? &kDefault : nullptr, nullptr);
  if (n <= 0) return sString();
  sString sText(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(page, flags, wide.data(), static_cast<int>(wide.size()),
                      &sText[0], n, bAnsi ? &kDefault : nullptr, nullptr);
  return sText;
}

}  // namespace

sString CatalogueText(const sString& sUtf8) {
  // A system whose ANSI code page is UTF-8 keeps the text as it came.
  if (GetACP() == CP_UTF8) return sUtf8;
  std::wstring wide = FromCodePage(CP_UTF8, sUtf8);
  // A character beyond the 16-bit range is two UTF-16 units, which the
  // conversion would make two "?"; no ANSI code page holds such a
  // character, so it becomes one replacement character first.
  std::wstring one;
  one.reserve(wide.size());
  for (size_t i = 0; i < wide.size(); ++i) {
    const wchar_t c = wide[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < wide.size() &&
        wide[i + 1] >= 0xDC00 && wide[i + 1] <= 0xDFFF) {
      one.push_back(static_cast<wchar_t>(0xFFFD));
      ++i;
    } else {
      one.push_back(c);
    }
  }
  return ToCodePage(CP_ACP, WC_NO_BEST_FIT_CHARS, one);
}

sString ServiceWords(const sString& sArg) {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  sString sWords;
  bool bFound = false;
  if (argv != nullptr) {
    // The C runtime's narrow arguments are the wide ones converted with the
    // code page's default (best fit) mapping.
    for (int i = 1; i < argc && !bFound; ++i) {
      const std::wstring wide(argv[i]);
      if (ToCodePage(CP_ACP, 0, wide) == sArg) {
        sWords = ToCodePage(CP_UTF8, 0, wide);
        bFound = true;
      }
    }
    LocalFree(argv);
  }
  if (!bFound) sWords = ToCodePage(CP_UTF8, 0, FromCodePage(CP_ACP, sArg));
  return sWords;
}
