#include "downloader.h"

#include <errno.h>
#include <fcntl.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <vector>

extern char** environ;

namespace {

// True when the "NAME=value" entry `entry` is for the variable `name`.
bool IsVariable(const char* entry, const char* name) {
  const size_t n = std::strlen(name);
  return std::strncmp(entry, name, n) == 0 && entry[n] == '=';
}

// The downloader's environment: Florrin's own, with LC_ALL=C in place of any
// LC_ALL and without LANGUAGE (which GNU gettext honours even over LC_ALL).
std::vector<char*> DownloaderEnvironment() {
  static char kLcAll[] = "LC_ALL=C";
  std::vector<char*> env;
  for (char** p = environ; p != nullptr && *p != nullptr; ++p) {
    if (IsVariable(*p, "LC_ALL") || IsVariable(*p, "LANGUAGE")) continue;
    env.push_back(*p);
  }
  env.push_back(kLcAll);
  env.push_back(nullptr);
  return env;
}

}  // namespace

bool RunDownloader(const sString& URL, const sString& FileName,
                   const sString& LogName) {
  // posix_spawnp takes non-const strings; these copies live until the wait.
  sString sProg = "wget", sUrl = URL, sOptO = "-O", sFile = FileName,
          sOpto = "-o", sLog = LogName;
  char* argv[] = {&sProg[0], &sUrl[0], &sOptO[0], &sFile[0],
                  &sOpto[0], &sLog[0], nullptr};
  std::vector<char*> env = DownloaderEnvironment();

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return false;
  // The child's standard streams go to the null device: wget with -o writes
  // nothing there normally, but nothing it might say may reach the calling
  // program through Florrin's output, nor may it read Florrin's input.
  bool bOk =
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) ==
          0 &&
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) ==
          0 &&
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) ==
          0;
  pid_t pid = -1;
  if (bOk) {
    bOk = posix_spawnp(&pid, "wget", &actions, nullptr, argv, env.data()) == 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  if (!bOk) return false;

  int status = 0;
  while (waitpid(pid, &status, 0) < 0) {
    // A caller that ignores SIGCHLD hands that on to us: the system then reaps
    // the child itself, and the wait ends with ECHILD once it has exited. The
    // downloader did run, so its log is still the judge.
    if (errno == ECHILD) break;
    if (errno != EINTR) return false;
  }
  return true;
}
