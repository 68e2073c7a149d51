#include "file-replace.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>

namespace {

// The directory that holds `sPath`, for syncing the rename itself.
sString DirectoryOf(const sString& sPath) {
  int iSlash = -1;
  for (int i = 0; i < static_cast<int>(sPath.size()); ++i)
    if (sPath[i] == '/') iSlash = i;
  if (iSlash < 0) return ".";
  if (iSlash == 0) return "/";
  return Left(sPath, iSlash);
}

}  // namespace

bool FlushToDisk(FILE* f) {
  if (std::fflush(f) != 0) return false;
  int fd = fileno(f);
  int rc;
  do {
    rc = fdatasync(fd);
  } while (rc != 0 && errno == EINTR);
  // Some file systems (pipes, special mounts) cannot sync at all; the data is
  // then as safe as the system can make it.
  return rc == 0 || errno == EINVAL || errno == EROFS;
}

bool MoveIntoPlace(const sString& sFrom, const sString& sTo) {
  // rename(2) replaces the target atomically: readers see the old or the new
  // file, never none.
  if (std::rename(sFrom.c_str(), sTo.c_str()) != 0) return false;
  // Make the new directory entry durable too. It is cheap, and a failure here
  // does not undo the replace, so it is not reported.
  int dir = open(DirectoryOf(sTo).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    fsync(dir);
    close(dir);
  }
  return true;
}
