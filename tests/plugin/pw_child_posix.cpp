#include "pw_child_os.h"

#include <dirent.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace pwchild {

void PrepareStreams() {}

long ProcessId() { return static_cast<long>(getpid()); }

void StartGrandchild(const char* self, const char* pidPath, const char* then) {
  if (fork() != 0) return;
  std::string pidStep = std::string("pidfile:") + pidPath;
  execl(self, self, pidStep.c_str(), then, static_cast<char*>(nullptr));
  _exit(127);
}

const char* StdinState() {
  struct pollfd p = {0, POLLIN, 0};
  if (poll(&p, 1, 0) <= 0) return "open";
  char c;
  return read(0, &c, 1) == 1 ? "data" : "eof";
}

bool SystemStep(const std::string& verb, const char* value) {
  if (verb == "signal") {
    raise(std::atoi(value));
  } else if (verb == "fds") {
    // The open descriptor numbers, space-separated.
    DIR* dir = opendir("/proc/self/fd");
    if (dir == nullptr) return true;
    std::string list;
    while (dirent* d = readdir(dir)) {
      if (d->d_name[0] == '.' || std::atoi(d->d_name) == dirfd(dir)) continue;
      list += std::string(d->d_name) + " ";
    }
    closedir(dir);
    std::fwrite(list.data(), 1, list.size(), stdout);
    std::fflush(stdout);
  } else {
    return false;
  }
  return true;
}

}  // namespace pwchild
