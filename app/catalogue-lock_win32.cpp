#include "catalogue-lock.h"

#include <windows.h>

#include <string>

#include "wide-name_win32.h"

namespace {

// Other runs must be able to open the file too in order to wait on it.
constexpr DWORD kShareAll =
    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

}  // namespace

CatalogueLock::CatalogueLock(const sString& sLockFile)
    : handle_(nullptr), held_(false) {
  std::wstring wName;
  if (!Widen(sLockFile, &wName)) return;
  HANDLE h = CreateFileW(wName.c_str(), GENERIC_READ | GENERIC_WRITE,
                         kShareAll, nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
  // A handle with read access alone locks as well (a read-only lock file,
  // or one the user may not write).
  if (h == INVALID_HANDLE_VALUE)
    h = CreateFileW(wName.c_str(), GENERIC_READ, kShareAll, nullptr,
                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  handle_ = h;
  if (GetFileType(h) != FILE_TYPE_DISK) return;
  // Without LOCKFILE_FAIL_IMMEDIATELY the call waits until the range is free.
  // The locked range is the first byte; it need not exist in the file.
  OVERLAPPED ov = {};
  held_ = LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK, 0, 1, 0, &ov) != 0;
}

CatalogueLock::~CatalogueLock() {
  if (handle_ == nullptr) return;
  HANDLE h = static_cast<HANDLE>(handle_);
  if (held_) {
    OVERLAPPED ov = {};
    UnlockFileEx(h, 0, 1, 0, &ov);
  }
  CloseHandle(h);
}
