#include "file-append.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

AppendFile::~AppendFile() { Close(); }

bool AppendFile::Open(const sString& sFile) {
  // Without waiting: a pipe would hold the open until a reader came. Only a
  // regular file takes a record; the writes then wait as usual.
  fd_ = open(sFile.c_str(), O_WRONLY | O_APPEND | O_CLOEXEC | O_NONBLOCK);
  if (fd_ < 0) return false;
  struct stat st;
  const int flags = fcntl(fd_, F_GETFL);
  if (fstat(fd_, &st) != 0 || !S_ISREG(st.st_mode) || flags == -1 ||
      fcntl(fd_, F_SETFL, flags & ~O_NONBLOCK) == -1) {
    Close();
    return false;
  }
  return true;
}

int64_t AppendFile::Length() {
  struct stat st;
  return fstat(fd_, &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

int64_t AppendFile::WriteSome(const char* p, size_t n) {
  for (;;) {
    const ssize_t got = write(fd_, p, n);
    if (got >= 0 || errno != EINTR) return got > 0 ? got : -1;
  }
}

bool AppendFile::Sync() {
  int rc;
  do {
    rc = fdatasync(fd_);
  } while (rc != 0 && errno == EINTR);
  // File systems that cannot sync (special mounts) count as synced.
  return rc == 0 || errno == EINVAL || errno == EROFS;
}

bool AppendFile::CutTo(int64_t iLength) {
  return ftruncate(fd_, static_cast<off_t>(iLength)) == 0;
}

bool AppendFile::Close() {
  if (fd_ < 0) return true;
  const int fd = fd_;
  fd_ = -1;
  // The descriptor is gone even when close reports EINTR; trying again
  // could close one another thread has just been given.
  return close(fd) == 0;
}
