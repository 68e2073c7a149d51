#include "catalogue-lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {

// The descriptor is kept in the neutral handle slot, offset by one so that
// descriptor 0 is not mistaken for "no handle".
void* ToHandle(int fd) {
  return reinterpret_cast<void*>(static_cast<intptr_t>(fd) + 1);
}

int ToFd(void* handle) {
  return static_cast<int>(reinterpret_cast<intptr_t>(handle) - 1);
}

// O_NONBLOCK: opening a pipe for reading would wait for a writer. It has no
// effect on the lock itself, which waits.
constexpr int kOpenFlags = O_CLOEXEC | O_NONBLOCK;

}  // namespace

CatalogueLock::CatalogueLock(const sString& sLockFile)
    : handle_(nullptr), held_(false) {
  int fd = open(sLockFile.c_str(), O_RDWR | O_CREAT | kOpenFlags, 0666);
  // flock locks through a read-only descriptor as well.
  if (fd < 0) fd = open(sLockFile.c_str(), O_RDONLY | kOpenFlags);
  if (fd < 0) return;
  handle_ = ToHandle(fd);
  struct stat st;
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) return;
  // flock waits until the lock is free; a signal may interrupt the wait.
  int rc;
  do {
    rc = flock(fd, LOCK_EX);
  } while (rc != 0 && errno == EINTR);
  held_ = rc == 0;
}

CatalogueLock::~CatalogueLock() {
  if (handle_ == nullptr) return;
  int fd = ToFd(handle_);
  if (held_) flock(fd, LOCK_UN);
  close(fd);
}
