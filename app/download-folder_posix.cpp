#include "download-folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <vector>

namespace {

// The system's temporary folder: TMPDIR when it names one, else /tmp.
sString TemporaryRoot() {
  const char* dir = getenv("TMPDIR");
  if (dir != nullptr && *dir == '/') return dir;
  return "/tmp";
}

}  // namespace

DownloadFolder::DownloadFolder() {
  sString pattern = TemporaryRoot();
  if (pattern.back() != '/') pattern += '/';
  pattern += "florrin-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  // mkdtemp makes the folder with mode 0700 whatever the umask.
  if (mkdtemp(buf.data()) != nullptr) sPath_ = buf.data();
}

DownloadFolder::~DownloadFolder() {
  if (sPath_.empty()) return;
  // The downloader may have left files of its own beside ours; everything in
  // the folder goes. Nothing in it is a folder. No memory is asked for here:
  // the folder goes also when a command ends for want of memory, and a
  // destructor must not throw.
  if (DIR* dir = opendir(sPath_.c_str())) {
    const int fd = dirfd(dir);
    while (dirent* entry = readdir(dir)) {
      if (std::strcmp(entry->d_name, ".") != 0 &&
          std::strcmp(entry->d_name, "..") != 0)
        unlinkat(fd, entry->d_name, 0);
    }
    closedir(dir);
  }
  rmdir(sPath_.c_str());
}

sString DownloadFolder::File(const char* name) const {
  return sPath_ + "/" + name;
}

bool DownloadFolder::Write(const char* name, const sString& bytes) const {
  if (sPath_.empty()) return false;
  const int fd =
      open(File(name).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
  if (fd < 0) return false;
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) break;
    done += static_cast<size_t>(n);
  }
  const bool bClosed = close(fd) == 0;
  return done == bytes.size() && bClosed;
}
