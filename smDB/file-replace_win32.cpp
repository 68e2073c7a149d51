#include "file-replace.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <vector>

namespace {

// File names are byte strings in the system's ANSI code page, as the C
// runtime's narrow functions take them; the wide API needs them converted.
bool Widen(const sString& sName, std::vector<wchar_t>* pWide) {
  int iLen = MultiByteToWideChar(CP_ACP, 0, sName.c_str(), -1, nullptr, 0);
  if (iLen <= 0) return false;
  pWide->assign(static_cast<size_t>(iLen), L'\0');
  return MultiByteToWideChar(CP_ACP, 0, sName.c_str(), -1, pWide->data(),
                             iLen) == iLen;
}

}  // namespace

bool FlushToDisk(FILE* f) {
  if (std::fflush(f) != 0) return false;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  if (h == INVALID_HANDLE_VALUE) return false;
  return FlushFileBuffers(h) != 0;
}

bool MoveIntoPlace(const sString& sFrom, const sString& sTo) {
  std::vector<wchar_t> wFrom, wTo;
  if (!Widen(sFrom, &wFrom) || !Widen(sTo, &wTo)) return false;
  // Unlike the C runtime's rename, MoveFileExW may replace an existing file,
  // and with write-through it returns only once the move is on the disk.
  return MoveFileExW(wFrom.data(), wTo.data(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
