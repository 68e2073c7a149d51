#include "download-folder.h"

#include <windows.h>
#include <sddl.h>

#include <algorithm>
#include <cwchar>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "wide-name_win32.h"

namespace {

// How many folder names are tried before giving up.
const int kTries = 100;

// Every private folder's name begins so, then the owner's process id.
const wchar_t kPrefix[] = L"florrin-";

// The system's temporary folder with a backslash at its end, or empty.
std::wstring TemporaryRoot() {
  wchar_t temp[MAX_PATH + 1];
  const DWORD n = GetTempPathW(MAX_PATH + 1, temp);
  if (n == 0 || n > MAX_PATH) return L"";
  return std::wstring(temp, n);
}

// The process id that the folder name `name` notes ("florrin-PID-..."); 0
// for a name of any other form.
DWORD OwnerOf(const std::wstring& name) {
  const size_t n = sizeof kPrefix / sizeof kPrefix[0] - 1;
  if (name.compare(0, n, kPrefix) != 0) return 0;
  unsigned long long pid = 0;
  size_t i = n;
  for (; i < name.size() && name[i] >= L'0' && name[i] <= L'9'; ++i) {
    if (i - n >= 10) return 0;  // no process id is that long
    pid = pid * 10 + static_cast<unsigned>(name[i] - L'0');
  }
  if (i == n || i + 1 >= name.size() || name[i] != L'-' || pid > 0xFFFFFFFFu) {
    return 0;
  }
  return static_cast<DWORD>(pid);
}

// True when no process `pid` runs (one that has ended but whose handle is
// still held somewhere counts as gone).
bool IsGone(DWORD pid) {
  HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, pid);
  if (process == nullptr) return GetLastError() == ERROR_INVALID_PARAMETER;
  DWORD code = 0;
  const bool bGone =
      GetExitCodeProcess(process, &code) && code != STILL_ACTIVE;
  CloseHandle(process);
  return bGone;
}

// Removes the folder `path` with the files in it.
void RemoveFolder(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(path), ec);
}

// The access list "only the user, all rights, handed on to files made in
// it, nothing inherited from above", written in SDDL; empty when the user's
// SID cannot be read.
std::wstring OwnerOnlyDescriptor() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return L"";
  std::wstring sddl;
  DWORD size = 0;
  GetTokenInformation(token, TokenUser, nullptr, 0, &size);
  std::vector<BYTE> buf(size);
  wchar_t* sid = nullptr;
  if (size != 0 &&
      GetTokenInformation(token, TokenUser, buf.data(), size, &size) &&
      ConvertSidToStringSidW(
          reinterpret_cast<TOKEN_USER*>(buf.data())->User.Sid, &sid)) {
    sddl = std::wstring(L"D:P(A;OICI;FA;;;") + sid + L")";
    LocalFree(sid);
  }
  CloseHandle(token);
  return sddl;
}

// Makes the folder `path` that only the user can open. Where the access list
// cannot be built, the folder takes the temporary folder's own, which on
// Windows is the user's profile's: the user's alone as well.
bool MakePrivateFolder(const std::wstring& path) {
  const std::wstring sddl = OwnerOnlyDescriptor();
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (!sddl.empty()) {
    ConvertStringSecurityDescriptorToSecurityDescriptorW(
        sddl.c_str(), SDDL_REVISION_1, &descriptor, nullptr);
  }
  SECURITY_ATTRIBUTES sa = {sizeof sa, descriptor, FALSE};
  const BOOL bMade =
      CreateDirectoryW(path.c_str(), descriptor != nullptr ? &sa : nullptr);
  if (descriptor != nullptr) LocalFree(descriptor);
  return bMade != FALSE;
}

}  // namespace

void SweepStaleDownloadFolders() {
  const std::wstring root = TemporaryRoot();
  if (root.empty()) return;
  // The temporary folder is the user's own (in the user's profile), and
  // each of these folders admits the user alone: another user's would not
  // be in it, nor could it be removed.
  std::vector<std::wstring> stale;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((root + kPrefix + L"*").c_str(), &data);
  if (find == INVALID_HANDLE_VALUE) return;
  do {
    const std::wstring name = data.cFileName;
    const DWORD owner = OwnerOf(name);
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0 &&
        (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0 &&
        owner != 0 && IsGone(owner)) {
      stale.push_back(root + name);
    }
  } while (FindNextFileW(find, &data));
  FindClose(find);
  for (const std::wstring& path : stale) RemoveFolder(path);
}

DownloadFolder::DownloadFolder() {
  static bool bSwept = false;
  if (!bSwept) {
    bSwept = true;
    SweepStaleDownloadFolders();
  }
  const std::wstring root = TemporaryRoot();
  if (root.empty()) return;
  InstallDownloadGuard();
  for (int i = 0; i < kTries; ++i) {
    // Unique enough, and CreateDirectoryW refuses a name that exists.
    const std::wstring path =
        root + kPrefix + std::to_wstring(GetCurrentProcessId()) + L"-" +
        std::to_wstring(GetTickCount64() % 1000000) + L"-" +
        std::to_wstring(i);
    // Made and guarded as one step.
    GuardHold hold;
    if (MakePrivateFolder(path)) {
      if (!Narrow(path, &sPath_)) {
        RemoveDirectoryW(path.c_str());
        sPath_.clear();
      } else {
        guard_.reset(new GuardedPath(sPath_, GuardedKind::kFolder));
      }
      return;
    }
    if (GetLastError() != ERROR_ALREADY_EXISTS) return;
  }
}

DownloadFolder::~DownloadFolder() {
  if (sPath_.empty()) return;
  // The names are put together in a buffer of its own, with room for the
  // folder's path (the temporary folder's, at most MAX_PATH, and a short
  // name) and a file name: the folder goes also when a command ends for want
  // of memory, and a destructor must not throw.
  wchar_t path[2 * MAX_PATH + 80];
  const int iLen =
      MultiByteToWideChar(CP_ACP, 0, sPath_.data(),
                          static_cast<int>(sPath_.size()), path, MAX_PATH + 64);
  if (iLen <= 0) return;
  // The downloader may have left files of its own beside ours; everything in
  // the folder goes. Nothing in it is a folder.
  wchar_t* const name = path + iLen + 1;
  path[iLen] = L'\\';
  name[0] = L'*';
  name[1] = L'\0';
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW(path, &data);
  if (find != INVALID_HANDLE_VALUE) {
    do {
      if (wcscmp(data.cFileName, L".") != 0 &&
          wcscmp(data.cFileName, L"..") != 0) {
        wmemcpy(name, data.cFileName, wcslen(data.cFileName) + 1);
        DeleteFileW(path);
      }
    } while (FindNextFileW(find, &data));
    FindClose(find);
  }
  path[iLen] = L'\0';
  RemoveDirectoryW(path);
}

sString DownloadFolder::File(const char* name) const {
  if (guard_) guard_->AddName(name);
  return sPath_ + "\\" + name;
}

bool DownloadFolder::Write(const char* name, const sString& bytes) const {
  std::wstring path;
  if (sPath_.empty() || !Widen(File(name), &path)) return false;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr,
                            CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  size_t done = 0;
  bool bOk = true;
  while (bOk && done < bytes.size()) {
    DWORD written = 0;
    const DWORD chunk = static_cast<DWORD>(
        std::min<size_t>(bytes.size() - done, 1u << 20));
    bOk = WriteFile(file, bytes.data() + done, chunk, &written, nullptr) &&
          written > 0;
    done += written;
  }
  return CloseHandle(file) && bOk;
}
