#include "local_site.h"

#include <errno.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>

extern char** environ;

LocalSite::~LocalSite() { Stop(); }

bool LocalSite::Start(const std::string& root, const std::string& log,
                      std::string* error, const std::string& headerLog) {
  const std::string python = PYTHON3;
  root_ = root;
  log_ = log;
  int fds[2];
  if (pipe(fds) != 0) {
    *error = "pipe failed";
    return false;
  }
  posix_spawn_file_actions_t actions;
  posix_spawn_file_actions_init(&actions);
  posix_spawn_file_actions_adddup2(&actions, fds[1], 1);
  posix_spawn_file_actions_addclose(&actions, fds[0]);
  posix_spawn_file_actions_addclose(&actions, fds[1]);
  std::vector<std::string> args = {python, SITE_SCRIPT, "--root", root,
                                   "--log", log};
  if (!headerLog.empty()) {
    args.push_back("--header-log");
    args.push_back(headerLog);
  }
  std::vector<char*> argv;
  for (std::string& a : args) argv.push_back(&a[0]);
  argv.push_back(nullptr);
  pid_t pid;
  const int rc = posix_spawnp(&pid, python.c_str(), &actions, nullptr,
                              argv.data(), environ);
  posix_spawn_file_actions_destroy(&actions);
  close(fds[1]);
  if (rc != 0) {
    close(fds[0]);
    *error = "cannot start " + python;
    return false;
  }
  pid_ = pid;

  // The site prints its port once it accepts connections.
  std::string line;
  char c;
  while (read(fds[0], &c, 1) == 1 && c != '\n') line.push_back(c);
  close(fds[0]);
  port_ = std::atoi(line.c_str());
  if (port_ <= 0) {
    *error = "the site did not tell its port";
    Stop();
    return false;
  }
  return true;
}

void LocalSite::Stop() {
  if (pid_ <= 0) return;
  kill(pid_, SIGTERM);
  int status;
  while (waitpid(pid_, &status, 0) < 0 && errno == EINTR) {
  }
  pid_ = -1;
}

std::vector<std::string> LocalSite::DownloaderEnvironment() const {
  const char* downloader = std::getenv("FLORRIN_TEST_DOWNLOADER");
  return {"http_proxy=http://127.0.0.1:" + std::to_string(port_),
          "HTTP_PROXY", "https_proxy", "HTTPS_PROXY", "no_proxy", "NO_PROXY",
          "ftp_proxy",
          downloader != nullptr && std::string(downloader) == "curl"
              ? "FLORRIN_DOWNLOADER=curl"
              : "FLORRIN_DOWNLOADER"};
}

std::vector<std::string> LocalSite::Requests() const {
  std::vector<std::string> lines;
  std::ifstream in(log_);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void LocalSite::ClearRequests() const { std::ofstream(log_, std::ios::trunc); }
