#include "new-file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <vector>

namespace {

int (*g_link_hook)(const sString&) = nullptr;

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

// Writes, syncs and closes `fd`; false when any of it fails.
bool WriteAndClose(int fd, std::string_view sBytes) {
  const bool bWritten = WriteAll(fd, sBytes) && Sync(fd);
  // A failed close may report a failed write.
  const bool bClosed = close(fd) == 0;
  return bWritten && bClosed;
}

// The new name lasts only once its folder's entry is on the disk as well;
// a failure there does not undo the file, so it is not reported.
void SyncFolderOf(const sString& sFile) {
  const int dir = open(FolderOf(sFile).c_str(), O_RDONLY | O_CLOEXEC);
  if (dir >= 0) {
    Sync(dir);
    close(dir);
  }
}

// The mode bits a file created now gets: all read and write bits less the
// process's file mode creation mask. The private file is made 0600 and is
// given these before it takes the name.
mode_t NewFileMode() {
  // Reading the mask means setting it; Florrin runs a single thread.
  const mode_t mask = umask(0);
  umask(mask);
  return 0666 & ~mask;
}

// The errors with which link() says that the file system has no hard links:
// FAT and exFAT answer EPERM, network shares and user-space file systems
// some of the others.
bool NoHardLinks(int err) {
  return err == EPERM || err == ENOTSUP || err == EOPNOTSUPP ||
         err == EXDEV || err == ENOSYS;
}

}  // namespace

void SetNewFileLinkHookForTest(int (*hook)(const sString&)) {
  g_link_hook = hook;
}

bool WriteNewFile(const sString& sFile, std::string_view sBytes) {
  // Beside the name, so that the link stays in one folder.
  const sString sTemplate = sFile + ".new-XXXXXX";
  std::vector<char> name(sTemplate.begin(), sTemplate.end());
  name.push_back('\0');
  const int fd = mkostemp(name.data(), O_CLOEXEC);
  if (fd < 0) return false;
  const sString sPrivate(name.data());
  if (fchmod(fd, NewFileMode()) != 0) {
    close(fd);
    unlink(sPrivate.c_str());
    return false;
  }
  if (!WriteAndClose(fd, sBytes)) {
    unlink(sPrivate.c_str());
    return false;
  }
  const int iHook = g_link_hook != nullptr ? g_link_hook(sPrivate) : 0;
  // link() gives the name only where nothing holds it, a link that leads
  // nowhere included; the private name goes again either way.
  const bool bLinked = iHook == 0 && link(sPrivate.c_str(), sFile.c_str()) == 0;
  const int err = iHook != 0 ? iHook : errno;
  unlink(sPrivate.c_str());
  if (bLinked) {
    SyncFolderOf(sFile);
    return true;
  }
  return NoHardLinks(err) && WriteNewFileInPlace(sFile, sBytes);
}

bool WriteNewFileInPlace(const sString& sFile, std::string_view sBytes) {
  // O_EXCL also refuses a symbolic link, wherever it points.
  const int fd =
      open(sFile.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  if (!WriteAndClose(fd, sBytes)) {
    unlink(sFile.c_str());
    return false;
  }
  SyncFolderOf(sFile);
  return true;
}
