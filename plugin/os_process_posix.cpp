#include "os_process.h"

#include <errno.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <map>

#include "fast_calls.h"
#include "timer_table.h"

extern char** environ;

namespace pipewell {
namespace {

const char kShellPath[] = "/bin/sh";
constexpr int kOutputPipeBytes = 1 << 20;
constexpr int kInputPipeBytes = 1 << 20;

// What we know of each child we started and have not yet forgotten. A child
// stays here until it is both reaped and released; a released child that
// still runs is reaped by a later sweep, so none is left a zombie.
struct Child {
  bool reaped = false;
  bool released = false;
  int32_t code = 0;
};

std::map<pid_t, Child>& Children() {
  static auto* children = new std::map<pid_t, Child>();
  return *children;
}

int32_t CodeOf(int status) {
  if (WIFSIGNALED(status)) return 128 + WTERMSIG(status);
  return WEXITSTATUS(status);
}

// Reaps `pid` without blocking. Returns true once the child is gone (now or
// earlier, or unknown to the kernel); records its code.
bool TryReap(pid_t pid, Child* child) {
  if (child->reaped) return true;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(pid, &status, WNOHANG);
  } while (r < 0 && errno == EINTR);
  if (r == pid) {
    child->reaped = true;
    child->code = CodeOf(status);
    return true;
  }
  return r < 0;  // ECHILD: someone else reaped it; nothing left to wait for
}

void SweepReleased() {
  auto& children = Children();
  for (auto it = children.begin(); it != children.end();) {
    if (it->second.released && TryReap(it->first, &it->second)) {
      it = children.erase(it);
    } else {
      ++it;
    }
  }
}

// Our pipe ends must never sit on 0-2: the child's dup2 onto those slots
// would then be a no-op that keeps close-on-exec set.
int AboveStdio(int fd) {
  if (fd < 0 || fd > 2) return fd;
  int moved = fcntl(fd, F_DUPFD_CLOEXEC, 3);
  close(fd);
  return moved;
}

bool MakePipe(int fds[2]) {
  if (!OpenCloexecPipe(fds)) return false;
  fds[0] = AboveStdio(fds[0]);
  fds[1] = AboveStdio(fds[1]);
  if (fds[0] >= 0 && fds[1] >= 0) return true;
  if (fds[0] >= 0) close(fds[0]);
  if (fds[1] >= 0) close(fds[1]);
  return false;
}

void CloseAll(const int* fds, int count) {
  for (int i = 0; i < count; ++i) {
    if (fds[i] >= 0) close(fds[i]);
  }
}

pid_t Spawn(const std::string& commandLine, int stdinFd, int outputFd) {
  posix_spawn_file_actions_t actions;
  posix_spawnattr_t attr;
  if (posix_spawn_file_actions_init(&actions) != 0) return -1;
  if (posix_spawnattr_init(&attr) != 0) {
    posix_spawn_file_actions_destroy(&actions);
    return -1;
  }
  posix_spawn_file_actions_adddup2(&actions, stdinFd, 0);
  posix_spawn_file_actions_adddup2(&actions, outputFd, 1);
  posix_spawn_file_actions_adddup2(&actions, outputFd, 2);

  // Own process group, so a time limit can end the child's whole tree; an
  // empty signal mask and default dispositions, whatever the host set up
  // (a host ignoring SIGPIPE must not pass that on to the command).
  sigset_t none, defaults;
  sigemptyset(&none);
  sigemptyset(&defaults);
  const int kReset[] = {SIGPIPE, SIGINT,  SIGQUIT, SIGTERM, SIGHUP,
                        SIGCHLD, SIGALRM, SIGUSR1, SIGUSR2};
  for (int sig : kReset) sigaddset(&defaults, sig);
  posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETPGROUP | POSIX_SPAWN_SETSIGMASK |
                                      POSIX_SPAWN_SETSIGDEF);
  posix_spawnattr_setpgroup(&attr, 0);
  posix_spawnattr_setsigmask(&attr, &none);
  posix_spawnattr_setsigdefault(&attr, &defaults);

  // "--" keeps a command line that starts with '-' from reading as options.
  char arg0[] = "sh";
  char arg1[] = "-c";
  char arg2[] = "--";
  std::string line = commandLine;  // posix_spawn wants mutable strings
  char* argv[] = {arg0, arg1, arg2, &line[0], nullptr};
  pid_t pid = -1;
  int rc = posix_spawn(&pid, kShellPath, &actions, &attr, argv, environ);
  posix_spawnattr_destroy(&attr);
  posix_spawn_file_actions_destroy(&actions);
  return rc == 0 ? pid : -1;
}

}  // namespace

std::string OsComposeCommandLine(const char* command, const char* parameters) {
  std::string line = command != nullptr ? command : "";
  if (parameters != nullptr) {
    line += ' ';
    line += parameters;
  }
  return line;
}

bool OsCreateChild(const std::string& commandLine, ChildHandles* out) {
  SweepReleased();
  int output[2] = {-1, -1};
  int input[2] = {-1, -1};
  if (!MakePipe(output)) return false;
  if (!MakePipe(input)) {
    CloseAll(output, 2);
    return false;
  }
  // A larger output pipe lets a fast writer run longer between our reads;
  // a larger input pipe moves more queued input per 100 ms tick.
  EnlargePipe(output[0], kOutputPipeBytes);
  EnlargePipe(input[1], kInputPipeBytes);
  pid_t pid = Spawn(commandLine, input[0], output[1]);
  // The child holds its own copies now; ours of its ends must go, or the
  // output pipe would never report end of file.
  close(output[1]);
  close(input[0]);
  if (pid <= 0) {
    close(output[0]);
    close(input[1]);
    return false;
  }
  Children()[pid] = Child();
  out->process = static_cast<OsHandle>(pid);
  out->thread = 0;
  out->outputRead = static_cast<OsHandle>(output[0]);
  out->inputWrite = static_cast<OsHandle>(input[1]);
  return true;
}

ExitStatus OsExitStatus(OsHandle process) {
  auto it = Children().find(static_cast<pid_t>(process));
  if (it == Children().end()) return {ExitState::kUnreadable, 0};
  Child& child = it->second;
  if (!TryReap(it->first, &child)) return {ExitState::kRunning, 0};
  if (!child.reaped) return {ExitState::kUnreadable, 0};
  return {ExitState::kExited, child.code};
}

void OsTerminate(OsHandle process) {
  auto it = Children().find(static_cast<pid_t>(process));
  // A reaped pid may already belong to someone else: never signal it.
  if (it == Children().end() || it->second.reaped) return;
  // Until reaped, the child's pid still names its process group.
  kill(-it->first, SIGKILL);
}

void OsWaitForExit(OsHandle process) {
  auto it = Children().find(static_cast<pid_t>(process));
  if (it == Children().end() || it->second.reaped) return;
  int status = 0;
  pid_t r;
  do {
    r = waitpid(it->first, &status, 0);
  } while (r < 0 && errno == EINTR);
  if (r == it->first) {
    it->second.reaped = true;
    it->second.code = CodeOf(status);
  }
}

void OsCloseProcess(OsHandle process) {
  auto it = Children().find(static_cast<pid_t>(process));
  if (it != Children().end()) it->second.released = true;
  SweepReleased();
}

void OsCloseThread(OsHandle) {}

void OsClosePipe(OsHandle pipe) {
  if (pipe != 0) close(static_cast<int>(pipe));
}

void OsSetNonBlocking(OsHandle pipe) {
  int fd = static_cast<int>(pipe);
  int flags = fcntl(fd, F_GETFL);
  if (flags >= 0) fcntl(fd, F_SETFL, flags | O_NONBLOCK);
}

bool OsPeekPipe(OsHandle pipe, uint32_t* available) {
  int count = 0;
  if (ioctl(static_cast<int>(pipe), FIONREAD, &count) != 0 || count < 0) {
    return false;
  }
  *available = static_cast<uint32_t>(count);
  return true;
}

long OsReadPipe(OsHandle pipe, void* buffer, size_t size) {
  ssize_t n;
  do {
    n = read(static_cast<int>(pipe), buffer, size);
  } while (n < 0 && errno == EINTR);
  if (n < 0) return (errno == EAGAIN || errno == EWOULDBLOCK) ? 0 : -1;
  return static_cast<long>(n);
}

long OsWriteSome(OsHandle pipe, const void* bytes, size_t size) {
  if (size == 0) return 0;
  // A child that stopped reading would raise SIGPIPE and, by default, end
  // the host. Block it for the write and swallow one we caused.
  sigset_t pipeSet, old, pending;
  sigemptyset(&pipeSet);
  sigaddset(&pipeSet, SIGPIPE);
  pthread_sigmask(SIG_BLOCK, &pipeSet, &old);
  sigpending(&pending);
  bool alreadyPending = sigismember(&pending, SIGPIPE) == 1;

  ssize_t n;
  do {
    n = write(static_cast<int>(pipe), bytes, size);
  } while (n < 0 && errno == EINTR);
  const int error = n < 0 ? errno : 0;
  if (error == EPIPE && !alreadyPending) {
    struct timespec zero = {0, 0};
    while (sigtimedwait(&pipeSet, nullptr, &zero) < 0 && errno == EINTR) {
    }
  }
  pthread_sigmask(SIG_SETMASK, &old, nullptr);
  if (n >= 0) return static_cast<long>(n);
  return (error == EAGAIN || error == EWOULDBLOCK) ? 0 : -1;
}

uint32_t OsTickCount() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  uint64_t ms = static_cast<uint64_t>(now.tv_sec) * 1000u +
                static_cast<uint64_t>(now.tv_nsec) / 1000000u;
  return static_cast<uint32_t>(ms);
}

void OsWaitOnPipe(OsHandle pipe, int ms) {
  struct pollfd p = {static_cast<int>(pipe), POLLIN, 0};
  int r = poll(&p, 1, ms);
  // A pipe whose writers are gone polls ready forever; sleep instead so a
  // child that closed its output but runs on does not make us spin.
  if (r > 0 && (p.revents & POLLIN) == 0) {
    struct timespec pause = {0, static_cast<long>(ms) * 1000000L};
    nanosleep(&pause, nullptr);
  }
}

bool OsStartTimer(uintptr_t id, uint32_t periodMs, TimerProc proc) {
  // The table's one failure is running out of memory.
  try {
    TimerTableSet(id, periodMs, proc, OsTickCount());
  } catch (...) {
    return false;
  }
  return true;
}

void OsStopTimer(uintptr_t id) { TimerTableRemove(id); }

int OsDispatchTimers() {
  SweepReleased();
  TimerTableDispatch(OsTickCount());
  return TimerTableNextWait(OsTickCount());
}

}  // namespace pipewell
