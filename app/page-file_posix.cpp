// POSIX: names are bytes; the page is made with open(O_EXCL) and rename.
#include "page-file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

const PathStyle kPagePathStyle = PathStyle::kPosix;

bool StoredNamePath(std::string_view sName, std::filesystem::path* pPath) {
  *pPath = std::filesystem::path(std::string(sName));
  return true;
}

std::string AddressText(const std::filesystem::path& path) {
  return path.native();
}

bool MayWritePage(const std::filesystem::path& path) {
  struct stat st;
  if (stat(path.c_str(), &st) != 0) return errno == ENOENT;
  // Root may write anything; a file nobody may write is refused all the
  // same, as the catalogue is.
  return (st.st_mode & 0222) != 0 && access(path.c_str(), W_OK) == 0;
}

namespace {

bool WriteAll(int fd, std::string_view sBytes) {
  while (!sBytes.empty()) {
    const ssize_t n = write(fd, sBytes.data(), sBytes.size());
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    sBytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

}  // namespace

PageFile::~PageFile() {
  if (open_) {
    Close();
    unlink(temp_.c_str());
  }
}

bool PageFile::Open(const std::filesystem::path& target) {
  target_ = target;
  const std::filesystem::path folder = target.parent_path();
  for (int i = 0; i < 100 && fd_ < 0; ++i) {
    temp_ = folder / (".florrin-page-" + std::to_string(getpid()) + "-" +
                      std::to_string(i) + ".tmp");
    fd_ = open(temp_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd_ < 0 && errno != EEXIST) return false;
  }
  if (fd_ < 0) return false;
  open_ = true;
  struct stat st;
  if (stat(target.c_str(), &st) == 0 && fchmod(fd_, st.st_mode & 07777) != 0)
    return false;
  return true;
}

bool PageFile::Write(std::string_view sBytes) {
  return open_ && WriteAll(fd_, sBytes);
}

bool PageFile::Close() {
  const int fd = fd_;
  fd_ = -1;
  return fd < 0 || close(fd) == 0;
}

bool PageFile::Commit() {
  if (!open_) return false;
  const bool bOk = Close() && rename(temp_.c_str(), target_.c_str()) == 0;
  if (!bOk) unlink(temp_.c_str());
  open_ = false;
  return bOk;
}
