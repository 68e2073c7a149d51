#include "file-replace.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "wide-name_win32.h"

bool FlushToDisk(FILE* f) {
  if (std::fflush(f) != 0) return false;
  HANDLE h = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)));
  if (h == INVALID_HANDLE_VALUE) return false;
  return FlushFileBuffers(h) != 0;
}

bool MoveIntoPlace(const sString& sFrom, const sString& sTo) {
  std::wstring wFrom, wTo;
  if (!Widen(sFrom, &wFrom) || !Widen(sTo, &wTo)) return false;
  // Unlike the C runtime's rename, MoveFileExW may replace an existing file,
  // and with write-through it returns only once the move is on the disk.
  return MoveFileExW(wFrom.c_str(), wTo.c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}
