#include "file-identity.h"

#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "wide-name_win32.h"

namespace {

// The attributes a replacement takes over from the file it replaces. The
// read-only attribute is not among them: such a file is refused.
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
    FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

bool IsSeparator(char c) { return c == '\\' || c == '/' || c == ':'; }

// `wPath` in the ANSI code page that the program's names use. False when a
// character has no exact equivalent there.
bool Narrow(const std::wstring& wPath, sString* pPath) {
  BOOL bLossy = FALSE;
  int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wPath.c_str(), -1,
                              nullptr, 0, nullptr, &bLossy);
  if (n <= 0 || bLossy) return false;
  std::vector<char> buffer(static_cast<size_t>(n));
  if (WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, wPath.c_str(), -1,
                          buffer.data(), n, nullptr, &bLossy) <= 0 ||
      bLossy)
    return false;
  pPath->assign(buffer.data());
  return true;
}

// The final path of the file that the open handle `h` names, with the long
// path prefix taken off again.
bool FinalPath(HANDLE h, std::wstring* pPath) {
  DWORD n = GetFinalPathNameByHandleW(h, nullptr, 0, FILE_NAME_NORMALIZED);
  if (n == 0) return false;
  std::vector<wchar_t> buffer(n + 1);
  n = GetFinalPathNameByHandleW(h, buffer.data(), n + 1, FILE_NAME_NORMALIZED);
  if (n == 0 || n > buffer.size()) return false;
  std::wstring wPath(buffer.data(), n);
  if (wPath.compare(0, 8, L"\\\\?\\UNC\\") == 0) {
    wPath = L"\\\\" + wPath.substr(8);
  } else if (wPath.compare(0, 4, L"\\\\?\\") == 0) {
    wPath = wPath.substr(4);
  }
  *pPath = wPath;
  return true;
}

// The volume serial number and file index of the file that `sFile` reaches
// (opening follows links), into `*pInfo`.
bool FileInformation(const sString& sFile, BY_HANDLE_FILE_INFORMATION* pInfo) {
  std::wstring wFile;
  if (!Widen(sFile, &wFile)) return false;
  // No access asked for: a file another program holds open is examined all
  // the same, and a folder too.
  HANDLE h = CreateFileW(wFile.c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  const BOOL bOk = GetFileInformationByHandle(h, pInfo);
  CloseHandle(h);
  return bOk != 0;
}

}  // namespace

bool RewriteTarget(const sString& sFile, sString* pTarget) {
  std::wstring wFile;
  if (!Widen(sFile, &wFile)) return false;
  DWORD dwAttr = GetFileAttributesW(wFile.c_str());
  if (dwAttr == INVALID_FILE_ATTRIBUTES ||
      (dwAttr & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
    *pTarget = sFile;
    return true;
  }
  // Opening follows the link to the file it finally points to.
  HANDLE h = CreateFileW(wFile.c_str(), 0,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS,
                         nullptr);
  if (h == INVALID_HANDLE_VALUE) return false;
  std::wstring wTarget;
  bool bOk = FinalPath(h, &wTarget);
  CloseHandle(h);
  return bOk && Narrow(wTarget, pTarget);
}

sString Beside(const sString& sFile, const sString& sName) {
  size_t i = sFile.size();
  while (i > 0 && !IsSeparator(sFile[i - 1])) --i;
  return sFile.substr(0, i) + sName;
}

bool MayChange(const sString& sFile) {
  std::wstring wFile;
  if (!Widen(sFile, &wFile)) return false;
  DWORD dwAttr = GetFileAttributesW(wFile.c_str());
  if (dwAttr == INVALID_FILE_ATTRIBUTES) {
    DWORD dwError = GetLastError();
    return dwError == ERROR_FILE_NOT_FOUND || dwError == ERROR_PATH_NOT_FOUND;
  }
  if (dwAttr & FILE_ATTRIBUTE_READONLY) return false;
  // The access rights decide the rest; a reader that holds the file open is
  // no refusal (the replace waits for it).
  HANDLE h = CreateFileW(wFile.c_str(), FILE_WRITE_DATA,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, 0, nullptr);
  if (h == INVALID_HANDLE_VALUE) return GetLastError() != ERROR_ACCESS_DENIED;
  CloseHandle(h);
  return true;
}

FILE* CreateScratchFor(const sString& sPath, const sString& sOriginal) {
  std::wstring wPath, wOriginal;
  if (!Widen(sPath, &wPath) || !Widen(sOriginal, &wOriginal)) return nullptr;
  DeleteFileW(wPath.c_str());
  // A new file in the folder inherits the folder's access rights, as the
  // original did; the attributes are taken over from it.
  DWORD dwAttr = GetFileAttributesW(wOriginal.c_str());
  dwAttr = dwAttr == INVALID_FILE_ATTRIBUTES ? 0 : dwAttr & kKeptAttributes;
  HANDLE h = CreateFileW(wPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ,
                         nullptr, CREATE_NEW,
                         dwAttr != 0 ? dwAttr : FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) return nullptr;
  int fd = _open_osfhandle(reinterpret_cast<intptr_t>(h), _O_WRONLY | _O_BINARY);
  if (fd < 0) {
    CloseHandle(h);
    DeleteFileW(wPath.c_str());
    return nullptr;
  }
  FILE* f = _fdopen(fd, "wb");
  if (f == nullptr) {
    _close(fd);
    DeleteFileW(wPath.c_str());
  }
  return f;
}

bool SameFile(const sString& sA, const sString& sB) {
  BY_HANDLE_FILE_INFORMATION a, b;
  return FileInformation(sA, &a) && FileInformation(sB, &b) &&
         a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
         a.nFileIndexHigh == b.nFileIndexHigh &&
         a.nFileIndexLow == b.nFileIndexLow;
}
