#include "new-file.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>

namespace {

// The folder that holds `sPath`, whose entry for the new name is synced too.
sString FolderOf(const sString& sPath) {
  const size_t iSlash = sPath.rfind('/');
  if (iSlash == sString::npos) return ".";
  if (iSlash == 0) return "/";
  return sPath.substr(0, iSlash);
}

bool WriteAll(int fd, std::string_view sBytes) {
  while (!sBytes.empty()) {
    const ssize_t got = write(fd, sBytes.data(), sBytes.size());
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) return false;
    sBytes.remove_prefix(static_cast<size_t>(got));
  }
  return true;
}

bool Sync(int fd) {
  int rc;
  do {
    rc = fsync(fd);
  } while (rc != 0 && errno == EINTR);
  // File systems that cannot sync (special mounts) count as synced.
  return rc == 0 || errno == EINVAL || errno == EROFS;
}

}  // namespace

bool WriteNewFile(const sString& sFile, std::string_view sBytes) {
  // O_EXCL also refuses a symbolic link, wherever it points.
  const int fd =
      open(sFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const bool bWritten = WriteAll(fd, sBytes) && Sync(fd);
  // A failed close may report a failed write.
  const bool bClosed = close(fd) == 0;
  if (!bWritten || !bClosed) {
    unlink(sFile.c_str());
    return false;
  }
  // The new name lasts only once its folder's entry is on the disk as well;
  // a failure there does not undo the file, so it is not reported.
  const int dir = open(FolderOf(sFile).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    Sync(dir);
    close(dir);
  }
  return true;
}
