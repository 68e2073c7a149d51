#include "download-folder.h"

#include <dirent.h>
#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

// Every private folder's name begins so, then the owner's process id.
const char kPrefix[] = "florrin-";

// The system's temporary folder: TMPDIR when it names one, else /tmp.
sString TemporaryRoot() {
  const char* dir = getenv("TMPDIR");
  if (dir != nullptr && *dir == '/') return dir;
  return "/tmp";
}

// The process id that the folder name `name` notes ("florrin-PID-..."); 0
// for a name of any other form.
pid_t OwnerOf(const char* name) {
  const size_t n = sizeof kPrefix - 1;
  if (std::strncmp(name, kPrefix, n) != 0) return 0;
  long pid = 0;
  size_t i = n;
  for (; name[i] >= '0' && name[i] <= '9'; ++i) {
    if (i - n >= 9) return 0;  // no process id is that long
    pid = pid * 10 + (name[i] - '0');
  }
  if (i == n || name[i] != '-' || name[i + 1] == '\0') return 0;
  return static_cast<pid_t>(pid);
}

// The names in the open folder `fd` (which this takes), but "." and "..".
std::vector<sString> Names(int fd) {
  std::vector<sString> names;
  DIR* dir = fdopendir(fd);
  if (dir == nullptr) {
    close(fd);
    return names;
  }
  while (dirent* entry = readdir(dir)) {
    const sString name = entry->d_name;
    if (name != "." && name != "..") names.push_back(name);
  }
  closedir(dir);
  return names;
}

// True when the folder `name` in the folder `rootFd` is one of ours that
// its run left behind: the user's own, a folder (not a link to one), and
// its owner gone.
bool IsStale(int rootFd, const char* name) {
  const pid_t owner = OwnerOf(name);
  if (owner <= 0) return false;
  struct stat st;
  if (fstatat(rootFd, name, &st, AT_SYMLINK_NOFOLLOW) != 0) return false;
  if (!S_ISDIR(st.st_mode) || st.st_uid != geteuid()) return false;
  return kill(owner, 0) != 0 && errno == ESRCH;
}

// Removes the folder `name` in `rootFd` with the files in it, never
// following a link.
void RemoveFolder(int rootFd, const sString& name) {
  const int fd = openat(rootFd, name.c_str(),
                        O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
  if (fd < 0) return;
  const int keep = dup(fd);
  for (const sString& file : Names(fd)) {
    if (keep >= 0) unlinkat(keep, file.c_str(), 0);
  }
  if (keep >= 0) close(keep);
  unlinkat(rootFd, name.c_str(), AT_REMOVEDIR);
}

}  // namespace

void SweepStaleDownloadFolders() {
  const int rootFd =
      open(TemporaryRoot().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (rootFd < 0) return;
  const int listFd = dup(rootFd);
  std::vector<sString> stale;
  if (listFd >= 0) {
    for (const sString& name : Names(listFd)) {
      if (IsStale(rootFd, name.c_str())) stale.push_back(name);
    }
  }
  for (const sString& name : stale) RemoveFolder(rootFd, name);
  close(rootFd);
}

DownloadFolder::DownloadFolder() {
  static bool bSwept = false;
  if (!bSwept) {
    bSwept = true;
    SweepStaleDownloadFolders();
  }
  sString pattern = TemporaryRoot();
  if (pattern.back() != '/') pattern += '/';
  pattern += kPrefix + std::to_string(getpid()) + "-XXXXXX";
  std::vector<char> buf(pattern.begin(), pattern.end());
  buf.push_back('\0');
  // Made and guarded as one step. mkdtemp makes the folder with mode 0700
  // whatever the umask.
  InstallDownloadGuard();
  GuardHold hold;
  if (mkdtemp(buf.data()) != nullptr) {
    sPath_ = buf.data();
    guard_.reset(new GuardedPath(sPath_, GuardedKind::kFolder));
  }
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
  if (guard_) guard_->AddName(name);
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
