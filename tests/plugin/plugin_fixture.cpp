#include "plugin_fixture.h"

#include <dirent.h>
#include <signal.h>
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>

namespace pwtest {
namespace {

std::map<void*, Events>& AllEvents() {
  static std::map<void*, Events> events;
  return events;
}

void OnData(void* shell) {
  Events& e = AllEvents()[shell];
  e.order.push_back("data");
  if (e.readInDataAvailable) {
    std::string chunk;
    rbhost::CallReturningString(shell, "ReadAll() as String", &chunk);
    e.output += chunk;
  }
  if (e.onData) e.onData(shell);
}

void OnCompleted(void* shell) {
  Events& e = AllEvents()[shell];
  e.order.push_back("completed");
  e.completed++;
  e.errorCodeAtCompleted = rbhost::GetInteger(shell, "ErrorCode");
  std::string rest;
  rbhost::CallReturningString(shell, "ReadAll() as String", &rest);
  e.output += rest;
  if (e.onCompleted) e.onCompleted(shell);
}

std::string ShellQuote(const std::string& s) {
  std::string q = "'";
  for (char c : s) {
    if (c == '\'') {
      q += "'\\''";
    } else {
      q += c;
    }
  }
  return q + "'";
}

long NowMs() {
  using namespace std::chrono;
  return static_cast<long>(
      duration_cast<milliseconds>(steady_clock::now().time_since_epoch())
          .count());
}

}  // namespace

const pipewell_loader::Plugin& Plugin() {
  static pipewell_loader::Plugin plugin = [] {
    pipewell_loader::Plugin loaded;
    std::string error;
    pipewell_loader::LoadPlugin(PIPEWELL_LIBRARY, &loaded, &error);
    return loaded;
  }();
  return plugin;
}

void PluginTest::SetUp() {
  ASSERT_NE(Plugin().main, nullptr) << "cannot load " << PIPEWELL_LIBRARY;
  ASSERT_NE(Plugin().dispatchTimers, nullptr);
  rbhost::Reset();
  Plugin().main(&rbhost::Resolve);
}

void PluginTest::TearDown() {
  for (void* shell : shells_) Destroy(shell);
  shells_.clear();
}

void* PluginTest::NewShell(int mode) {
  void* shell = rbhost::NewInstance("Shell");
  if (shell == nullptr) return nullptr;
  shells_.push_back(shell);
  AllEvents()[shell] = Events();
  rbhost::SetEventHandler(shell, "DataAvailable()", &OnData);
  rbhost::SetEventHandler(shell, "Completed()", &OnCompleted);
  rbhost::SetInteger(shell, "Mode", mode);
  return shell;
}

void PluginTest::Destroy(void* shell) {
  for (auto it = shells_.begin(); it != shells_.end(); ++it) {
    if (*it == shell) {
      shells_.erase(it);
      break;
    }
  }
  rbhost::DeleteInstance(shell);
  AllEvents().erase(shell);
}

Events& PluginTest::EventsOf(void* shell) { return AllEvents()[shell]; }

std::string PluginTest::Child(const std::string& steps) {
  std::string line = ShellQuote(PW_CHILD);
  std::istringstream words(steps);
  std::string step;
  while (words >> step) line += " " + ShellQuote(step);
  return line;
}

void PluginTest::Execute(void* shell, const std::string& command) {
  ASSERT_TRUE(rbhost::Call(shell, "Execute(command as String)", command));
}

void PluginTest::Execute(void* shell, const std::string& command,
                         const std::string& parameters) {
  ASSERT_TRUE(rbhost::Call(shell,
                           "Execute(command as String, parameters as String)",
                           command, parameters));
}

std::string PluginTest::Result(void* shell, bool* isNil) {
  return rbhost::GetString(shell, "Result", isNil);
}

std::string PluginTest::ReadAll(void* shell) {
  std::string out;
  rbhost::CallReturningString(shell, "ReadAll() as String", &out);
  return out;
}

void PluginTest::Write(void* shell, const std::string& s) {
  rbhost::Call(shell, "Write(s as String)", s);
}

void PluginTest::WriteLine(void* shell, const std::string& s) {
  rbhost::Call(shell, "WriteLine(s as String)", s);
}

bool PluginTest::PumpUntil(const std::function<bool()>& done, int ms) {
  long deadline = NowMs() + ms;
  while (!done() && NowMs() < deadline) {
    int wait = Plugin().dispatchTimers();
    SleepMs(wait < 0 ? 5 : (wait == 0 ? 1 : wait));
  }
  return done();
}

bool PluginTest::PollUntil(void* shell, const std::function<bool()>& done,
                           int ms) {
  long deadline = NowMs() + ms;
  while (!done() && NowMs() < deadline) {
    Poll(shell);
    if (!done()) SleepMs(1);
  }
  return done();
}

void SleepMs(int ms) {
  struct timespec pause = {ms / 1000, (ms % 1000) * 1000000L};
  nanosleep(&pause, nullptr);
}

static char ProcessState(int pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string line;
  if (!std::getline(stat, line)) return 0;
  size_t paren = line.rfind(')');
  return paren + 2 < line.size() ? line[paren + 2] : 0;
}

bool ProcessAlive(int pid) {
  char state = ProcessState(pid);
  return state != 0 && state != 'Z' && state != 'X';
}

// Child processes of this process, only the zombies or all of them.
static int CountChildren(bool zombiesOnly) {
  int count = 0;
  DIR* proc = opendir("/proc");
  if (proc == nullptr) return -1;
  const std::string self = std::to_string(getpid());
  while (dirent* d = readdir(proc)) {
    if (d->d_name[0] < '0' || d->d_name[0] > '9') continue;
    std::ifstream stat(std::string("/proc/") + d->d_name + "/stat");
    std::string line;
    if (!std::getline(stat, line)) continue;
    size_t paren = line.rfind(')');
    if (paren == std::string::npos) continue;
    std::istringstream rest(line.substr(paren + 2));
    std::string state, ppid;
    rest >> state >> ppid;
    if (ppid == self && (!zombiesOnly || state == "Z")) count++;
  }
  closedir(proc);
  return count;
}

int ZombieChildren() { return CountChildren(true); }

int ChildProcesses() { return CountChildren(false); }

int ReadPidFile(const std::string& path) {
  for (int i = 0; i < 400; ++i) {
    std::ifstream f(path);
    int pid = 0;
    if (f >> pid && pid > 0) return pid;
    SleepMs(5);
  }
  return 0;
}

}  // namespace pwtest
