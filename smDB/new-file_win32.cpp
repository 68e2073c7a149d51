#include "new-file.h"

#include <windows.h>

#include <string>

#include "wide-name_win32.h"

namespace {

int (*g_link_hook)(const sString&) = nullptr;

// Writes `sBytes` to `h`, flushes it to the disk and closes it; false when
// any of it fails.
bool WriteAndClose(HANDLE h, std::string_view sBytes) {
  bool bWritten = true;
  while (bWritten && !sBytes.empty()) {
    const DWORD want = sBytes.size() > (1u << 30)
                           ? (1u << 30)
                           : static_cast<DWORD>(sBytes.size());
    DWORD got = 0;
    bWritten = WriteFile(h, sBytes.data(), want, &got, nullptr) && got > 0;
    sBytes.remove_prefix(got);
  }
  bWritten = bWritten && FlushFileBuffers(h);
  const bool bClosed = CloseHandle(h) != 0;
  return bWritten && bClosed;
}

// Creates the file `wName`, which must not exist, and writes it whole.
// Readers may open it at once; it is theirs to read when whole. False (and
// no file) when any of it fails.
bool CreateAndWrite(const std::wstring& wName, std::string_view sBytes,
                    DWORD* pError) {
  HANDLE h = CreateFileW(wName.c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    *pError = GetLastError();
    return false;
  }
  if (!WriteAndClose(h, sBytes)) {
    *pError = ERROR_WRITE_FAULT;
    DeleteFileW(wName.c_str());
    return false;
  }
  return true;
}

}  // namespace

void SetNewFileLinkHookForTest(int (*hook)(const sString&)) {
  g_link_hook = hook;
}

bool WriteNewFile(const sString& sFile, std::string_view sBytes) {
  std::wstring wName;
  if (!Widen(sFile, &wName)) return false;
  // A private name beside the file: the process id, and a count past names
  // that an earlier run left behind. The suffix is ASCII, so it reads the
  // same in either kind of name.
  sString sPrivate;
  std::wstring wPrivate;
  DWORD dwError = 0;
  for (unsigned i = 0;; ++i) {
    const std::string sSuffix = ".new-" + std::to_string(GetCurrentProcessId()) +
                                "-" + std::to_string(i);
    sPrivate = sFile + sSuffix;
    wPrivate = wName + std::wstring(sSuffix.begin(), sSuffix.end());
    if (CreateAndWrite(wPrivate, sBytes, &dwError)) break;
    if (dwError != ERROR_FILE_EXISTS || i >= 100) return false;
  }
  if (g_link_hook != nullptr) g_link_hook(sPrivate);
  // Without MOVEFILE_REPLACE_EXISTING the move fails where the name is
  // taken; it works on every file system, FAT included.
  if (MoveFileExW(wPrivate.c_str(), wName.c_str(), MOVEFILE_WRITE_THROUGH))
    return true;
  DeleteFileW(wPrivate.c_str());
  return false;
}

bool WriteNewFileInPlace(const sString& sFile, std::string_view sBytes) {
  std::wstring wName;
  if (!Widen(sFile, &wName)) return false;
  DWORD dwError = 0;
  return CreateAndWrite(wName, sBytes, &dwError);
}
