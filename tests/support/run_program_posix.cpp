#include "support/run_program.h"

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstring>
#include <map>

extern char** environ;

namespace {

std::vector<std::string> BuildEnvironment(const std::vector<std::string>& changes) {
  std::map<std::string, std::string> vars;
  for (char** e = environ; *e != nullptr; ++e) {
    std::string entry(*e);
    size_t eq = entry.find('=');
    if (eq != std::string::npos) vars[entry.substr(0, eq)] = entry.substr(eq + 1);
  }
  for (const std::string& change : changes) {
    size_t eq = change.find('=');
    if (eq == std::string::npos) {
      vars.erase(change);
    } else {
      vars[change.substr(0, eq)] = change.substr(eq + 1);
    }
  }
  std::vector<std::string> out;
  for (const auto& [name, value] : vars) out.push_back(name + "=" + value);
  return out;
}

std::vector<char*> Pointers(std::vector<std::string>& strings) {
  std::vector<char*> ptrs;
  for (std::string& s : strings) ptrs.push_back(s.data());
  ptrs.push_back(nullptr);
  return ptrs;
}

}  // namespace

std::string Utf8Arg(const std::string& utf8) { return utf8; }

struct StartedProgram::Impl {
  pid_t pid = -1;
  int out = -1;
  int err = -1;
  bool waited = false;
};

StartedProgram::StartedProgram(std::unique_ptr<Impl> impl)
    : impl_(std::move(impl)) {}

StartedProgram::~StartedProgram() {
  if (impl_->pid > 0 && !impl_->waited) {
    kill(impl_->pid, SIGKILL);
    Wait();
  }
  if (impl_->out >= 0) close(impl_->out);
  if (impl_->err >= 0) close(impl_->err);
}

bool StartedProgram::started() const { return impl_->pid > 0; }

long StartedProgram::pid() const { return impl_->pid > 0 ? impl_->pid : 0; }

void StartedProgram::Signal(int sig) const {
  if (impl_->pid > 0 && !impl_->waited) kill(impl_->pid, sig);
}

void StartedProgram::Kill() const { Signal(SIGKILL); }

namespace {

std::unique_ptr<StartedProgram> StartProgramWith(
    const ChildSetup& setup, const std::string& exe,
    const std::vector<std::string>& args, const std::string& cwd,
    const std::vector<std::string>& env) {
  auto impl = std::make_unique<StartedProgram::Impl>();
  int out_pipe[2], err_pipe[2];
  if (pipe2(out_pipe, O_CLOEXEC) != 0) {
    return std::make_unique<StartedProgram>(std::move(impl));
  }
  if (pipe2(err_pipe, O_CLOEXEC) != 0) {
    close(out_pipe[0]);
    close(out_pipe[1]);
    return std::make_unique<StartedProgram>(std::move(impl));
  }

  std::vector<std::string> argv_strings{exe};
  argv_strings.insert(argv_strings.end(), args.begin(), args.end());
  std::vector<std::string> env_strings = BuildEnvironment(env);
  std::vector<char*> argv = Pointers(argv_strings);
  std::vector<char*> envp = Pointers(env_strings);

  pid_t pid = fork();
  if (pid == 0) {
    // Only async-signal-safe calls from here on.
    int devnull = open("/dev/null", O_RDONLY);
    dup2(devnull, 0);
    dup2(out_pipe[1], 1);
    dup2(err_pipe[1], 2);
    if (chdir(cwd.c_str()) != 0) _exit(126);
    if (setup.file_size_limit >= 0) {
      const rlimit limit = {static_cast<rlim_t>(setup.file_size_limit),
                            static_cast<rlim_t>(setup.file_size_limit)};
      if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
    }
    if (setup.user_id >= 0) {
      const gid_t ids[] = {static_cast<gid_t>(setup.user_id)};
      if (setgroups(1, ids) != 0 ||
          setgid(static_cast<gid_t>(setup.user_id)) != 0 ||
          setuid(static_cast<uid_t>(setup.user_id)) != 0)
        _exit(126);
    }
    execve(exe.c_str(), argv.data(), envp.data());
    _exit(127);
  }
  close(out_pipe[1]);
  close(err_pipe[1]);
  impl->pid = pid;
  impl->out = out_pipe[0];
  impl->err = err_pipe[0];
  return std::make_unique<StartedProgram>(std::move(impl));
}

}  // namespace

std::unique_ptr<StartedProgram> StartProgram(
    const std::string& exe, const std::vector<std::string>& args,
    const std::string& cwd, const std::vector<std::string>& env) {
  return StartProgramWith(ChildSetup(), exe, args, cwd, env);
}

RunResult StartedProgram::Wait(int timeout_seconds) {
  RunResult result;
  if (impl_->pid <= 0 || impl_->waited) return result;
  pollfd fds[2] = {{impl_->out, POLLIN, 0}, {impl_->err, POLLIN, 0}};
  impl_->out = impl_->err = -1;  // closed below, whatever happens
  std::string* sinks[2] = {&result.out, &result.err};
  int open_count = 2;
  char buf[65536];
  const auto deadline =
      std::chrono::steady_clock::now() + std::chrono::seconds(timeout_seconds);
  while (open_count > 0) {
    int wait_ms = -1;
    if (timeout_seconds > 0) {
      const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
          deadline - std::chrono::steady_clock::now());
      if (left.count() <= 0) {
        // Whatever the program started may still hold the pipes open.
        kill(impl_->pid, SIGKILL);
        result.timed_out = true;
        break;
      }
      wait_ms = static_cast<int>(left.count()) + 1;
    }
    const int ready = poll(fds, 2, wait_ms);
    if (ready < 0) break;
    if (ready == 0) continue;
    for (int i = 0; i < 2; ++i) {
      if (fds[i].fd < 0 || fds[i].revents == 0) continue;
      ssize_t n = read(fds[i].fd, buf, sizeof buf);
      if (n > 0) {
        sinks[i]->append(buf, static_cast<size_t>(n));
      } else {
        close(fds[i].fd);
        fds[i].fd = -1;
        --open_count;
      }
    }
  }
  for (pollfd& p : fds) {
    if (p.fd >= 0) close(p.fd);
  }
  int status = 0;
  waitpid(impl_->pid, &status, 0);
  impl_->waited = true;
  if (WIFEXITED(status)) result.exit_code = WEXITSTATUS(status);
  if (WIFSIGNALED(status)) result.exit_code = 128 + WTERMSIG(status);
  return result;
}

RunResult RunProgram(const std::string& exe,
                     const std::vector<std::string>& args,
                     const std::string& cwd,
                     const std::vector<std::string>& env,
                     int timeout_seconds) {
  return StartProgram(exe, args, cwd, env)->Wait(timeout_seconds);
}

RunResult RunProgramAs(const ChildSetup& setup, const std::string& exe,
                       const std::vector<std::string>& args,
                       const std::string& cwd,
                       const std::vector<std::string>& env,
                       int timeout_seconds) {
  return StartProgramWith(setup, exe, args, cwd, env)->Wait(timeout_seconds);
}
