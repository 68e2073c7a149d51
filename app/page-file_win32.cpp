// Windows: names are the ANSI code page's (the catalogue's) or wide (the
// command line's); the page is made with CREATE_NEW and MoveFileExW.
#include "page-file.h"

#include <windows.h>
#include <shellapi.h>

#include "wide-name_win32.h"

const PathStyle kPagePathStyle = PathStyle::kWindows;

namespace {

// `wide` in the code page `page`, converted as the C runtime converts its
// narrow arguments (best fit) or exactly (UTF-8).
std::string InCodePage(UINT page, const std::wstring& wide) {
  if (wide.empty()) return std::string();
  const int size = static_cast<int>(wide.size());
  const int n =
      WideCharToMultiByte(page, 0, wide.data(), size, nullptr, 0, nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string sText(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(page, 0, wide.data(), size, &sText[0], n, nullptr, nullptr);
  return sText;
}

}  // namespace

bool StoredNamePath(std::string_view sName, std::filesystem::path* pPath) {
  std::wstring wide;
  if (!Widen(sName, &wide)) return false;
  *pPath = std::filesystem::path(wide);
  return true;
}

std::string AddressText(const std::filesystem::path& path) {
  return InCodePage(CP_UTF8, path.native());
}

bool MayWritePage(const std::filesystem::path& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) {
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
  }
  return (attributes & FILE_ATTRIBUTE_READONLY) == 0;
}

PageFile::~PageFile() {
  if (open_) {
    Close();
    DeleteFileW(temp_.c_str());
  }
}

bool PageFile::Open(const std::filesystem::path& target) {
  target_ = target;
  const std::filesystem::path folder = target.parent_path();
  HANDLE file = INVALID_HANDLE_VALUE;
  for (int i = 0; i < 100 && file == INVALID_HANDLE_VALUE; ++i) {
    temp_ = folder / (L".florrin-page-" + std::to_wstring(GetCurrentProcessId()) +
                      L"-" + std::to_wstring(i) + L".tmp");
    file = CreateFileW(temp_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                       FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
      return false;
  }
  if (file == INVALID_HANDLE_VALUE) return false;
  handle_ = file;
  open_ = true;
  return true;
}

bool PageFile::Write(std::string_view sBytes) {
  if (!open_ || handle_ == nullptr) return false;
  while (!sBytes.empty()) {
    const DWORD chunk = static_cast<DWORD>(
        sBytes.size() < (1u << 30) ? sBytes.size() : (1u << 30));
    DWORD written = 0;
    if (!WriteFile(static_cast<HANDLE>(handle_), sBytes.data(), chunk,
                   &written, nullptr) ||
        written != chunk)
      return false;
    sBytes.remove_prefix(chunk);
  }
  return true;
}

bool PageFile::Close() {
  HANDLE file = static_cast<HANDLE>(handle_);
  handle_ = nullptr;
  return file == nullptr || CloseHandle(file) != 0;
}

bool PageFile::Commit() {
  if (!open_) return false;
  const bool bOk = Close() && MoveFileExW(temp_.c_str(), target_.c_str(),
                                          MOVEFILE_REPLACE_EXISTING) != 0;
  if (!bOk) DeleteFileW(temp_.c_str());
  open_ = false;
  return bOk;
}
