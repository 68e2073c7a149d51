#include "file-identity.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

namespace {

// The mode bits a file created now gets: all read and write bits less the
// process's file mode creation mask.
mode_t NewFileMode() {
  // Reading the mask means setting it; Florrin runs a single thread.
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

}  // namespace

bool RewriteTarget(const sString& sFile, sString* pTarget) {
  struct stat st;
  if (lstat(sFile.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) {
    *pTarget = sFile;
    return true;
  }
  char* resolved = realpath(sFile.c_str(), nullptr);
  if (resolved == nullptr) return false;
  *pTarget = resolved;
  std::free(resolved);
  return true;
}

sString Beside(const sString& sFile, const sString& sName) {
  const size_t iSlash = sFile.rfind('/');
  if (iSlash == sString::npos) return sName;
  return sFile.substr(0, iSlash + 1) + sName;
}

bool MayChange(const sString& sFile) {
  struct stat st;
  if (stat(sFile.c_str(), &st) != 0) return errno == ENOENT;
  // The superuser passes every access test; a file nobody may write is
  // read-only to the user all the same.
  if ((st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) return false;
  return faccessat(AT_FDCWD, sFile.c_str(), W_OK, AT_EACCESS) == 0;
}

FILE* CreateScratchFor(const sString& sPath, const sString& sOriginal) {
  if (unlink(sPath.c_str()) != 0 && errno != ENOENT) return nullptr;
  // Readable by the owner only until it has the original's permissions, so
  // a private catalogue is never readable by others on the way.
  int fd = open(sPath.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return nullptr;
  struct stat st;
  mode_t mode;
  if (stat(sOriginal.c_str(), &st) == 0) {
    // Only the superuser may give a file away; the owner may still pass it to
    // one of their groups. Either failing leaves the caller's own.
    if (fchown(fd, st.st_uid, st.st_gid) != 0)
      (void)!fchown(fd, static_cast<uid_t>(-1), st.st_gid);
    // After fchown, which clears the set-user and set-group bits.
    mode = st.st_mode & 07777;
  } else {
    mode = NewFileMode();
  }
  FILE* f = fchmod(fd, mode) == 0 ? fdopen(fd, "w") : nullptr;
  if (f == nullptr) {
    close(fd);
    unlink(sPath.c_str());
  }
  return f;
}

bool SameFile(const sString& sA, const sString& sB) {
  struct stat a, b;
  return stat(sA.c_str(), &a) == 0 && stat(sB.c_str(), &b) == 0 &&
         a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}
