#include "support/run_with_input.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <time.h>
#include <unistd.h>

#include <cerrno>

namespace {

long NowMs() {
  struct timespec now;
  clock_gettime(CLOCK_MONOTONIC, &now);
  return now.tv_sec * 1000L + now.tv_nsec / 1000000L;
}

}  // namespace

RunResult RunWithInput(const std::string& exe,
                       const std::vector<std::string>& args,
                       const std::string& cwd, const InputPlan& plan,
                       bool* deadline_passed) {
  *deadline_passed = false;
  RunResult result;
  int in_pipe[2], out_pipe[2], err_pipe[2];
  if (pipe2(in_pipe, O_CLOEXEC) != 0) return result;
  if (pipe2(out_pipe, O_CLOEXEC) != 0) return result;
  if (pipe2(err_pipe, O_CLOEXEC) != 0) return result;

  std::vector<std::string> argv_strings{exe};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (std::string& s : argv_strings) argv.push_back(s.data());
  argv.push_back(nullptr);

  // Writing to a program that has gone must not end the test with SIGPIPE;
  // the program itself gets the default back.
  signal(SIGPIPE, SIG_IGN);
  pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    signal(SIGPIPE, SIG_DFL);
    dup2(in_pipe[0], 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    execv(exe.c_str(), argv.data());
    _exit(127);
  }
  close(in_pipe[0]);
  close(out_pipe[1]);
  close(err_pipe[1]);
  fcntl(in_pipe[1], F_SETFL, O_NONBLOCK);

  int input = in_pipe[1];
  size_t written = 0;
  if (plan.bytes.empty() && !plan.keep_open) {
    close(input);
    input = -1;
  }
  pollfd fds[3] = {{out_pipe[0], POLLIN, 0}, {err_pipe[0], POLLIN, 0},
                   {input, POLLOUT, 0}};
  std::string* sinks[2] = {&result.out, &result.err};
  const long deadline = NowMs() + plan.deadline_ms;
  char buf[65536];
  while (fds[0].fd >= 0 || fds[1].fd >= 0) {
    fds[2].fd = (input >= 0 && written < plan.bytes.size()) ? input : -1;
    long left = deadline - NowMs();
    if (left <= 0 && !*deadline_passed) {
      *deadline_passed = true;
      kill(pid, SIGKILL);
    }
    int r = poll(fds, 3, left > 0 ? static_cast<int>(left) : 100);
    if (r < 0 && errno != EINTR) break;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else if (n == 0 || errno != EINTR) {
        close(fds[i].fd);
        fds[i].fd = -1;
      }
    }
    if (fds[2].fd >= 0 && fds[2].revents != 0) {
      ssize_t n = write(input, plan.bytes.data() + written,
                        plan.bytes.size() - written);
      if (n > 0) written += static_cast<size_t>(n);
      if (n < 0 && errno == EPIPE) written = plan.bytes.size();
      if (written == plan.bytes.size() && !plan.keep_open) {
        close(input);
        input = -1;
      }
    }
  }
  if (input >= 0) close(input);
  int status = 0;
  waitpid(pid, &status, 0);
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.exit_code = 128 + WTERMSIG(status);
  return result;
}
