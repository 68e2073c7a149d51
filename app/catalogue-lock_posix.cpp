#include "catalogue-lock.h"

#include <fcntl.h>
#include <sys/file.h>
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

}  // namespace

CatalogueLock::CatalogueLock(const sString& sLockFile)
    : handle_(nullptr), held_(false) {
  int fd = open(sLockFile.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
  if (fd < 0) return;
  handle_ = ToHandle(fd);
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
