#include "downloader.h"

#include <errno.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/prctl.h>
#endif

#include <chrono>
#include <cstdlib>
#include <cstring>

#include "download-guard.h"

extern char** environ;

namespace {

// Where programs are looked for when the environment names no PATH.
const char kDefaultPath[] = "/bin:/usr/bin";

// True when the "NAME=value" entry `entry` is for the variable `name`.
bool IsVariable(const char* entry, const char* name) {
  const size_t n = std::strlen(name);
  return std::strncmp(entry, name, n) == 0 && entry[n] == '=';
}

// True when the entry is for a variable of the movie service's settings,
// the credential among them.
bool IsServiceVariable(const char* entry) {
  static const char kPrefix[] = "FLORRIN_TMDB_";
  return std::strncmp(entry, kPrefix, sizeof kPrefix - 1) == 0;
}

// The downloader's environment: Florrin's own, with LC_ALL=C in place of any
// LC_ALL, without LANGUAGE (which GNU gettext honours even over LC_ALL) and
// without the movie service's variables.
std::vector<char*> DownloaderEnvironment() {
  static char kLcAll[] = "LC_ALL=C";
  std::vector<char*> env;
  for (char** p = environ; p != nullptr && *p != nullptr; ++p) {
    if (IsVariable(*p, "LC_ALL") || IsVariable(*p, "LANGUAGE") ||
        IsServiceVariable(*p)) {
      continue;
    }
    env.push_back(*p);
  }
  env.push_back(kLcAll);
  env.push_back(nullptr);
  return env;
}

// The paths at which `program` is tried, in order: itself when it holds a
// "/", else the program in each folder of the PATH that is named by a whole
// path. An empty or relative entry would mean the current folder, the
// catalogue's, where a program that landed there must never be run.
std::vector<sString> Candidates(const sString& program) {
  if (program.find('/') != sString::npos) return {program};
  const char* path = std::getenv("PATH");
  sString rest = path != nullptr ? path : kDefaultPath;
  std::vector<sString> found;
  for (;;) {
    const size_t colon = rest.find(':');
    const sString dir = rest.substr(0, colon);
    if (!dir.empty() && dir[0] == '/') {
      found.push_back(dir + (dir.back() == '/' ? "" : "/") + program);
    }
    if (colon == sString::npos) return found;
    rest = rest.substr(colon + 1);
  }
}

// The size of the file `name`, 0 when it does not exist.
int64_t FileSize(const sString& name) {
  struct stat st;
  if (name.empty() || stat(name.c_str(), &st) != 0) return 0;
  return static_cast<int64_t>(st.st_size);
}

// The child's part, between fork and exec: only async-signal-safe calls.
// Never returns.
[[noreturn]] void BecomeDownloader(const GuardHold& hold, pid_t parent,
                                   const std::vector<sString>& candidates,
                                   char* const* argv, char* const* envp,
                                   int64_t iMaxBytes) {
  // A process group of its own lets a limit end it with whatever it starts.
  setpgid(0, 0);
#if defined(__linux__)
  // And it dies with Florrin, even when Florrin is killed outright. Florrin
  // may have ended already, before this was set.
  prctl(PR_SET_PDEATHSIG, SIGKILL);
  if (getppid() != parent) _exit(127);
#else
  (void)parent;
#endif
  hold.RestoreInChild();
  // A write past the file-size limit fails (and the downloader stops with
  // an error) rather than ending it with a core file in the catalogue's
  // folder.
  struct sigaction ignore {};
  ignore.sa_handler = SIG_IGN;
  sigemptyset(&ignore.sa_mask);
  sigaction(SIGXFSZ, &ignore, nullptr);
  if (iMaxBytes < INT64_MAX) {
    // The hard limit too, so that no program of the download can lift it.
    // Lowered only: a user's own smaller limit stays.
    struct rlimit limit;
    if (getrlimit(RLIMIT_FSIZE, &limit) == 0) {
      const rlim_t wanted = static_cast<rlim_t>(iMaxBytes) + 1;
      if (limit.rlim_cur == RLIM_INFINITY || limit.rlim_cur > wanted) {
        limit.rlim_cur = wanted;
      }
      if (limit.rlim_max == RLIM_INFINITY || limit.rlim_max > wanted) {
        limit.rlim_max = wanted;
      }
      setrlimit(RLIMIT_FSIZE, &limit);
    }
  }
  // The standard streams go to the null device: the downloaders are told to
  // write nothing there, but nothing they might say may reach the calling
  // program through Florrin's output, nor may they read Florrin's input.
  const int null = open("/dev/null", O_RDWR);
  if (null < 0) _exit(127);
  for (int fd = 0; fd <= 2; ++fd) dup2(null, fd);
  if (null > 2) close(null);
  for (const sString& path : candidates) {
    execve(path.c_str(), argv, envp);
  }
  // What posix_spawnp reports for a program it could not run.
  _exit(127);
}

// Waits for the child `pid`, which leads its own process group, until it
// ends, `limits.iTimeoutSeconds` have passed or its file has grown past its
// limit; in the latter cases kills the whole group and reaps the child.
// True when the child ended by itself, its wait status in `*status`.
bool WaitWithLimits(pid_t pid, const DownloaderLimits& limits, int* status,
                    DownloaderRun* run) {
  const auto deadline = std::chrono::steady_clock::now() +
                        std::chrono::seconds(limits.iTimeoutSeconds);
  // Short naps at first, so a quick download is not held up; longer ones
  // while a slow one goes on.
  long napNs = 1000000;
  for (;;) {
    const pid_t r = waitpid(pid, status, WNOHANG);
    if (r == pid) return true;
    if (r < 0 && errno != EINTR) return false;  // not ours to wait for
    if (FileSize(limits.sFile) > limits.iMaxBytes) {
      run->bTooLarge = true;
      break;
    }
    if (std::chrono::steady_clock::now() >= deadline) {
      run->bTimedOut = true;
      break;
    }
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
  // RunDownloader looks the name up on the PATH when it starts.
  choice.sProgram = DownloaderName(choice.kind);
  return choice;
}

DownloaderRun RunDownloader(const DownloaderChoice& choice,
                            const std::vector<sString>& args,
                            const DownloaderLimits& limits) {
  DownloaderRun run;
  if (choice.sProgram.empty()) return run;
  InstallDownloadGuard();
  // Everything the child needs is made before the fork: after it, the child
  // may only make async-signal-safe calls.
  const std::vector<sString> candidates = Candidates(choice.sProgram);
  std::vector<sString> words = args;
  words.insert(words.begin(), choice.sProgram);
  std::vector<char*> argv;
  for (sString& w : words) argv.push_back(&w[0]);
  argv.push_back(nullptr);
  std::vector<char*> env = DownloaderEnvironment();

  // A caller that ignores SIGCHLD hands that on to us, and the system would
  // then reap the child itself, taking its exit status with it; a caller's
  // own handler might reap it too. The default holds while our child runs.
  struct sigaction dfl, old;
  std::memset(&dfl, 0, sizeof dfl);
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  const bool bSwapped = sigaction(SIGCHLD, &dfl, &old) == 0;

  pid_t pid = -1;
  {
    // The child is guarded from its first moment: no signal that ends
    // Florrin can come between its start and its entry in the guard.
    GuardHold hold;
    const pid_t parent = getpid();
    pid = fork();
    if (pid == 0) {
      BecomeDownloader(hold, parent, candidates, argv.data(), env.data(),
                       limits.iMaxBytes);
    }
    if (pid > 0) {
      // Also here, so that the group exists whichever runs first.
      setpgid(pid, pid);
      GuardDownloader(pid);
    }
  }

  int status = 0;
  run.bStarted = pid > 0;
  if (pid > 0) {
    const bool bEnded = WaitWithLimits(pid, limits, &status, &run);
    GuardDownloader(0);
    if (bEnded && WIFEXITED(status)) run.iExitStatus = WEXITSTATUS(status);
    // One that stopped at the file-size limit wrote one byte too many.
    if (FileSize(limits.sFile) > limits.iMaxBytes) run.bTooLarge = true;
  }
  if (bSwapped) sigaction(SIGCHLD, &old, nullptr);
  return run;
}
