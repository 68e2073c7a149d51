// The narrow file functions convert a name from the ANSI code page.
#include "poster-name.h"

#include "wide-name_win32.h"

std::u16string NameAsSystemSees(const sString& sRec) {
  std::wstring wName;
  if (!Widen(sRec, &wName)) return {};
  return std::u16string(wName.begin(), wName.end());
}
