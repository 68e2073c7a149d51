#include "new-file.h"

#include <windows.h>

#include <string>

#include "wide-name_win32.h"

bool WriteNewFile(const sString& sFile, std::string_view sBytes) {
  std::wstring wName;
  if (!Widen(sFile, &wName)) return false;
  // Readers may open the file at once; it is theirs to read when whole.
  HANDLE h = CreateFileW(wName.c_str(), GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                         CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
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
  if (!bWritten || !bClosed) {
    DeleteFileW(wName.c_str());
    return false;
  }
  return true;
}
