#include "file-append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace {

int64_t g_iFailAfter = -1;

// Writes all of `sBytes` to `fd`. False on the first failed write.
bool WriteAll(int fd, std::string_view sBytes) {
  int64_t iAllowed = g_iFailAfter;
  const char* p = sBytes.data();
  size_t left = sBytes.size();
  while (left > 0) {
    size_t n = left;
    if (iAllowed >= 0) {
      if (iAllowed == 0) {
        errno = ENOSPC;
        return false;
      }
      if (static_cast<int64_t>(n) > iAllowed) n = static_cast<size_t>(iAllowed);
    }
    ssize_t got = write(fd, p, n);
    if (got < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += got;
    left -= static_cast<size_t>(got);
    if (iAllowed >= 0) iAllowed -= got;
  }
  return true;
}

// Waits until the file's data is on the disk. File systems that cannot sync
// (special mounts) count as synced.
bool Synced(int fd) {
  int rc;
  do {
    rc = fdatasync(fd);
  } while (rc != 0 && errno == EINTR);
  return rc == 0 || errno == EINVAL || errno == EROFS;
}

}  // namespace

bool AppendWhole(const sString& sFile, std::string_view sBytes) {
  int fd = open(sFile.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC);
  if (fd < 0) return false;
  // Changing commands hold the catalogue lock, so nobody else appends
  // between this size and the write.
  struct stat st;
  if (fstat(fd, &st) != 0) {
    close(fd);
    return false;
  }
  // Some file systems report a full disk only when the data goes to it, so
  // the record counts as written once it is on the disk.
  bool bOk = WriteAll(fd, sBytes) && Synced(fd);
  if (!bOk) {
    // Cutting frees space, so it does not fail for the reason the write did.
    if (ftruncate(fd, st.st_size) == 0) fdatasync(fd);
  }
  if (close(fd) != 0) bOk = false;
  return bOk;
}

void FailAppendsAfterForTest(int64_t iBytes) { g_iFailAfter = iBytes; }
