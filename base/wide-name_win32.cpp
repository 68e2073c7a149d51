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
