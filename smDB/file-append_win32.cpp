#include "file-append.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>
#include <windows.h>

#include <string>

#include "wide-name_win32.h"

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const sString& sFile) {
  std::wstring wName;
  if (!Widen(sFile, &wName)) return false;
  // Binary: the caller brings the line ends.
  if (_wsopen_s(&fd_, wName.c_str(), _O_WRONLY | _O_APPEND | _O_BINARY,
                _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0)
    return false;
  // Only a file on a disk takes a record, no device or pipe.
  if (GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(fd_))) !=
      FILE_TYPE_DISK) {
    Close();
    return false;
  }
  return true;
}

int64_t AppendFile::Length() { return _filelengthi64(fd_); }

int64_t AppendFile::WriteSome(const char* p, size_t n) {
  const unsigned int chunk =
      n > (1u << 30) ? (1u << 30) : static_cast<unsigned int>(n);
  const int got = _write(fd_, p, chunk);
  return got > 0 ? got : -1;
}

bool AppendFile::Sync() { return _commit(fd_) == 0; }

bool AppendFile::CutTo(int64_t iLength) { return _chsize_s(fd_, iLength) == 0; }

bool AppendFile::Close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  return _close(fd) == 0;
}
