#include "catalogue-lock.h"

#include <windows.h>

#include <vector>

namespace {

// File names are byte strings in the system's ANSI code page, as the C
// runtime's narrow functions take them.
bool Widen(const sString& sName, std::vector<wchar_t>* pWide) {
  int iLen = MultiByteToWideChar(CP_ACP, 0, sName.c_str(), -1, nullptr, 0);
  if (iLen <= 0) return false;
  pWide->assign(static_cast<size_t>(iLen), L'\0');
  return MultiByteToWideChar(CP_ACP, 0, sName.c_str(), -1, pWide->data(),
                             iLen) == iLen;
}

}  // namespace

CatalogueLock::CatalogueLock(const sString& sLockFile)
    : handle_(nullptr), held_(false) {
  std::vector<wchar_t> wName;
  if (!Widen(sLockFile, &wName)) return;
  // Other runs must be able to open the file too in order to wait on it.
  HANDLE h = CreateFileW(wName.data(), GENERIC_READ | GENERIC_WRITE,
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
