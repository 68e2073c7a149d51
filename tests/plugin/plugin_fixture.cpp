#include "plugin_fixture.h"

#include <chrono>
#include <cstdio>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

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
    pipewell_loader::LoadPlugin(NativePath(PIPEWELL_LIBRARY), &loaded,
                                &error);
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
  std::string line = QuoteArgument(NativePath(PW_CHILD));
  std::istringstream words(steps);
  std::string step;
  while (words >> step) line += " " + QuoteArgument(step);
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
    long left = deadline - NowMs();
    rbhost::RunEventLoopOnce(Plugin().dispatchTimers,
                             static_cast<int>(left < 5 ? 1 : 5));
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

long PluginTest::TimedExecute(void* shell, const std::string& command) {
  long start = NowMs();
  Execute(shell, command);
  return NowMs() - start;
}

long PluginTest::ChildId(void* shell) {
  int pid = Pid(shell);
  return pid == 0 ? 0 : ProcessIdOf(pid);
}

void SleepMs(int ms) {
  std::this_thread::sleep_for(std::chrono::milliseconds(ms));
}

bool WaitForProcessEnd(long pid, int ms) {
  long deadline = NowMs() + ms;
  while (ProcessAlive(pid) && NowMs() < deadline) SleepMs(5);
  return !ProcessAlive(pid);
}

std::string TempPath(const std::string& name) {
  return NativePath(::testing::TempDir()) + "pw-" +
         std::to_string(OwnProcessId()) + "-" + name;
}

long ReadPidFile(const std::string& path) {
  for (int i = 0; i < 400; ++i) {
    std::ifstream f(path);
    long pid = 0;
    if (f >> pid && pid > 0) return pid;
    SleepMs(5);
  }
  return 0;
}

}  // namespace pwtest
