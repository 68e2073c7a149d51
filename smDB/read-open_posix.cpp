#include "read-open.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "file-faults.h"

namespace {

// Opens `sFile` for reading without waiting: opening a pipe for reading
// waits for a writer, which may never come. Then anything but a regular file
// (a pipe, a device, a folder) is refused, and the descriptor made blocking
// again for the reads. -1 with errno set on failure.
int OpenRegularFile(const sString& sFile) {
  const int fd = open(sFile.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
  if (fd < 0) return -1;
  struct stat st;
  const int flags = fcntl(fd, F_GETFL);
  if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || flags == -1 ||
      fcntl(fd, F_SETFL, flags & ~O_NONBLOCK) == -1) {
    close(fd);
    errno = EINVAL;
    return -1;
  }
  return fd;
}

}  // namespace

// A rename never makes the old or the new file unopenable here.
FILE* OpenForReading(const sString& sFile, bool* pMissing) {
  FILE* f = nullptr;
  if (FileCallFails(FileCall::kOpen)) {
    errno = EACCES;
  } else {
    const int fd = OpenRegularFile(sFile);
    if (fd >= 0) {
      f = fdopen(fd, "rb");
      if (f == nullptr) close(fd);
    }
  }
  if (pMissing != nullptr) *pMissing = f == nullptr && errno == ENOENT;
  return f;
}
