#include "file-replace.h"

#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "wide-name_win32.h"

namespace {

// Readers take no lock, and the C runtime opens files without delete
// sharing: while one reads the old file the replace fails with one of these
// errors. A read of even a large catalogue takes a fraction of a second, so
// the replace is retried for up to about two seconds.
constexpr int kTries = 200;
constexpr DWORD kPauseMs = 10;

bool HeldByAReader(DWORD dwError) {
  return dwError == ERROR_ACCESS_DENIED ||
         dwError == ERROR_SHARING_VIOLATION || dwError == ERROR_LOCK_VIOLATION;
}

}  // namespace

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
  for (int iTry = 1;; ++iTry) {
    if (MoveFileExW(wFrom.c_str(), wTo.c_str(),
                    MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0)
      return true;
    if (iTry >= kTries || !HeldByAReader(GetLastError())) return false;
    Sleep(kPauseMs);
  }
}
