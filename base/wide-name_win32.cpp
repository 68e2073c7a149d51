#include "wide-name_win32.h"

#include <windows.h>

bool Widen(std::string_view sText, std::wstring* pWide) {
  pWide->clear();
  if (sText.empty()) return true;
  const int iBytes = static_cast<int>(sText.size());
  const int iLen =
      MultiByteToWideChar(CP_ACP, 0, sText.data(), iBytes, nullptr, 0);
  if (iLen <= 0) return false;
  pWide->assign(static_cast<size_t>(iLen), L'\0');
  if (MultiByteToWideChar(CP_ACP, 0, sText.data(), iBytes, &(*pWide)[0],
                          iLen) != iLen) {
    pWide->clear();
    return false;
  }
  return true;
}

bool Narrow(std::wstring_view wide, std::string* pText) {
  pText->clear();
  if (wide.empty()) return true;
  const int iLen = static_cast<int>(wide.size());
  // A UTF-8 code page has every character, and takes neither the flag nor
  // the lost-character report.
  const bool bUtf8 = GetACP() == CP_UTF8;
  const DWORD dwFlags = bUtf8 ? 0 : WC_NO_BEST_FIT_CHARS;
  BOOL bLost = FALSE;
  BOOL* pLost = bUtf8 ? nullptr : &bLost;
  const int iBytes = WideCharToMultiByte(CP_ACP, dwFlags, wide.data(), iLen,
                                         nullptr, 0, nullptr, pLost);
  if (iBytes <= 0 || bLost) return false;
  pText->assign(static_cast<size_t>(iBytes), '\0');
  if (WideCharToMultiByte(CP_ACP, dwFlags, wide.data(), iLen, &(*pText)[0],
                          iBytes, nullptr, pLost) != iBytes ||
      bLost) {
    pText->clear();
    return false;
  }
  return true;
}
