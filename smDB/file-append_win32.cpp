#include "file-append.h"

#include <fcntl.h>
#include <io.h>
#include <share.h>
#include <sys/stat.h>

#include <string>

#include "wide-name_win32.h"

namespace {

int64_t g_iFailAfter = -1;

// Writes all of `sBytes` to `fd` through the C runtime, as they are (the
// caller brings the line ends). False on the first failed write.
bool WriteAll(int fd, std::string_view sBytes) {
  int64_t iAllowed = g_iFailAfter;
  const char* p = sBytes.data();
  size_t left = sBytes.size();
  while (left > 0) {
    unsigned int n = left > (1u << 30) ? (1u << 30)
                                       : static_cast<unsigned int>(left);
    if (iAllowed >= 0) {
      if (iAllowed == 0) return false;
      if (static_cast<int64_t>(n) > iAllowed)
        n = static_cast<unsigned int>(iAllowed);
    }
    int got = _write(fd, p, n);
    if (got <= 0) return false;
    p += got;
    left -= static_cast<size_t>(got);
    if (iAllowed >= 0) iAllowed -= got;
  }
  return true;
}

}  // namespace

bool AppendWhole(const sString& sFile, std::string_view sBytes) {
  std::wstring wName;
  if (!Widen(sFile, &wName)) return false;
  int fd = -1;
  if (_wsopen_s(&fd, wName.c_str(), _O_WRONLY | _O_APPEND | _O_BINARY,
                _SH_DENYNO, _S_IREAD | _S_IWRITE) != 0)
    return false;
  // Changing commands hold the catalogue lock, so nobody else appends
  // between this length and the write.
  const __int64 iOld = _filelengthi64(fd);
  if (iOld < 0) {
    _close(fd);
    return false;
  }
  // The record counts as written once it is on the disk.
  bool bOk = WriteAll(fd, sBytes) && _commit(fd) == 0;
  if (!bOk) {
    // Cutting frees space, so it does not fail for the reason the write did.
    if (_chsize_s(fd, iOld) == 0) _commit(fd);
  }
  if (_close(fd) != 0) bOk = false;
  return bOk;
}

void FailAppendsAfterForTest(int64_t iBytes) { g_iFailAfter = iBytes; }
