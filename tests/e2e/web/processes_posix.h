// The processes a test's run may have left behind, found by the folder they
// work in: a downloader runs in the catalogue's folder, and nothing else
// does once florrin has been waited for.
#ifndef FLORRIN_TESTS_E2E_WEB_PROCESSES_POSIX_H_
#define FLORRIN_TESTS_E2E_WEB_PROCESSES_POSIX_H_

#include <dirent.h>
#include <unistd.h>

#include <climits>
#include <string>
#include <vector>

#include "support/file_util.h"

// "PID COMMAND-LINE" of each process (a zombie among them) whose current
// folder is `folder`.
inline std::vector<std::string> ProcessesWorkingIn(const std::string& folder) {
  std::vector<std::string> found;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return found;
  while (dirent* e = readdir(proc)) {
    const std::string pid = e->d_name;
    if (pid.find_first_not_of("0123456789") != std::string::npos) continue;
    char target[PATH_MAX];
    const std::string link = "/proc/" + pid + "/cwd";
    const ssize_t n = readlink(link.c_str(), target, sizeof target - 1);
    if (n <= 0) continue;
    if (std::string(target, static_cast<size_t>(n)) == folder) {
      found.push_back(pid + " " + ReadFile("/proc/" + pid + "/cmdline"));
    }
  }
  closedir(proc);
  return found;
}

// ProcessesWorkingIn, after giving a process that was just killed up to
// five seconds to be gone.
inline std::vector<std::string> ProcessesStillWorkingIn(
    const std::string& folder) {
  for (int i = 0; i < 500 && !ProcessesWorkingIn(folder).empty(); ++i) {
    usleep(10000);
  }
  return ProcessesWorkingIn(folder);
}

#endif  // FLORRIN_TESTS_E2E_WEB_PROCESSES_POSIX_H_
