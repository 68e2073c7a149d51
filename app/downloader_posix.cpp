#include "downloader.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstring>

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

// Waits for the child `pid`, which leads its own process group, until it
// ends or `iTimeoutSeconds` have passed; then kills the whole group and reaps
// the child. True when the child ended by itself, its wait status in
// `*status`.
bool WaitWithLimit(pid_t pid, int iTimeoutSeconds, int* status) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(iTimeoutSeconds);
  // Short naps at first, so a quick download is not held up; longer ones
  // while a slow one goes on.
  long napNs = 1000000;
  for (;;) {
    const pid_t r = waitpid(pid, status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno != EINTR) return false;  // not ours to wait for
    if (std::chrono::steady_clock::now() >= deadline) break;
    const timespec nap = {0, napNs};
    nanosleep(&nap, nullptr);
    if (napNs < 20000000) napNs *= 2;
  }
  // The group, not just the child: a downloader started through a wrapper
  // script must not live on and write into the folder afterwards.
  kill(-pid, SIGKILL);
  while (waitpid(pid, status, 0) < 0 && errno == EINTR) {
  }
  return false;
}

}  // namespace

DownloaderChoice ChooseDownloader(const char* forced) {
  DownloaderChoice choice;
  if (forced != nullptr && std::strcmp(forced, "curl") == 0) {
    choice.kind = DownloaderKind::kCurl;
  }
  // posix_spawnp looks the name up on the PATH when it starts.
  choice.sProgram = DownloaderName(choice.kind);
  return choice;
}

DownloaderRun RunDownloader(const DownloaderChoice& choice,
                            const std::vector<sString>& args,
                            int iTimeoutSeconds) {
  DownloaderRun run;
  if (choice.sProgram.empty()) return run;
  // posix_spawnp takes non-const strings; these copies live until the wait.
  std::vector<sString> words = args;
  words.insert(words.begin(), choice.sProgram);
  std::vector<char*> argv;
  for (sString& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  std::vector<char*> env = DownloaderEnvironment();

  posix_spawn_file_actions_t actions;
  if (posix_spawn_file_actions_init(&actions) != 0) return run;
  posix_spawnattr_t attr;
  if (posix_spawnattr_init(&attr) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return run;
  }
  // The child's standard streams go to the null device: the downloaders are
  // told to write nothing there, but nothing they might say may reach the
  // calling program through Florrin's output, nor may they read Florrin's
  // input. A process group of its own lets the time limit end it with
  // whatever it started.
  bool bOk =
      posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0) ==
          0 &&
      posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0) ==
          0 &&
      posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0) ==
          0 &&
      posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP) == 0 &&
      posix_spawnattr_setpgroup(&attr, 0) == 0;

  // A caller that ignores SIGCHLD hands that on to us, and the system would
  // then reap the child itself, taking its exit status with it; a caller's
  // own handler might reap it too. The default holds while our child runs.
  struct sigaction dfl, old;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  const bool bSwapped = sigaction(SIGCHLD, &dfl, &old) == 0;

  pid_t pid = -1;
  if (bOk) {
    bOk = posix_spawnp(&pid, choice.sProgram.c_str(), &actions, &attr,
                       argv.data(), env.data()) == 0;
  }
  posix_spawn_file_actions_destroy(&actions);
  posix_spawnattr_destroy(&attr);

  int status = 0;
  run.bStarted = bOk;
  if (bOk) {
    const bool bEnded = WaitWithLimit(pid, iTimeoutSeconds, &status);
    run.bTimedOut = !bEnded;
    // glibc's posix_spawnp reports a program it could not run as a child
    // that exits with status 127 at once.
    if (bEnded && WIFEXITED(status)) run.iExitStatus = WEXITSTATUS(status);
  }
  if (bSwapped) sigaction(SIGCHLD, &old, nullptr);
  return run;
}
