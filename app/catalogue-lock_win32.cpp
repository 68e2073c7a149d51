#include "catalogue-lock.h"

#include <windows.h>

#include <string>

#include "wide-name_win32.h"

CatalogueLock::CatalogueLock(const sString& sLockFile)
    : handle_(nullptr), held_(false) {
  std::wstring wName;
  if (!Widen(sLockFile, &wName)) return;
  // Other runs must be able to open the file too in order to wait on it.
  HANDLE h = CreateFileW(wName.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return;
  handle_ = h;
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
