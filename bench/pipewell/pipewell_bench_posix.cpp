// pipewell-bench: measures the Shell plug-in against its speed targets.
//
//   1. synchronous Execute of `cat` over a 200 MB file, against a plain
//      pipe (`cat file | cat > /dev/null`) and Python's subprocess.run with
//      capture_output=True, all in the same rounds over the same file;
//   2. host CPU time spent in a synchronous `sleep 2`;
//   3. time from the child's exit to Execute returning.
//
// Usage: pipewell-bench [--size-mb N] [--dir DIR] [--runs N] [--shell-only]
//                       [--library PATH] [--host-string-limit]
// --shell-only times the Shell runs alone (for profiling); --library loads
// another build of the plug-in (to compare two versions on one machine).
// --host-string-limit instead runs synchronous outputs at and beyond the
// longest string a host can hold (2^31 - 1 bytes): several GB through the
// pipe, and about 6 GB of memory at the peak.
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "host_build_timer.h"
#include "plugin_loader.h"
#include "rbhost.h"

namespace {

double NowSeconds() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) * 1e-9;
}

double CpuSeconds() {
  struct rusage u;
  getrusage(RUSAGE_SELF, &u);
  return static_cast<double>(u.ru_utime.tv_sec + u.ru_stime.tv_sec) +
         static_cast<double>(u.ru_utime.tv_usec + u.ru_stime.tv_usec) * 1e-6;
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

bool MakeFile(const std::string& path, long megabytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
  for (long i = 0; i < megabytes; ++i) std::fwrite(block.data(), 1, block.size(), f);
  return std::fclose(f) == 0;
}

// Seconds one shell command line takes, or -1 when it fails.
double TimeSystem(const std::string& command) {
  double start = NowSeconds();
  if (std::system(command.c_str()) != 0) return -1;
  return NowSeconds() - start;
}

// Python times only its own subprocess.run call (not its start-up).
double TimePython(const std::string& file) {
  std::string script =
      "import subprocess,time\n"
      "t=time.monotonic()\n"
      "r=subprocess.run(['cat','" + file + "'],capture_output=True)\n"
      "print(time.monotonic()-t)\n";
  std::string command = "python3 -c \"" + script + "\"";
  FILE* p = popen(command.c_str(), "r");
  if (p == nullptr) return -1;
  double seconds = -1;
  if (std::fscanf(p, "%lf", &seconds) != 1) seconds = -1;
  pclose(p);
  return seconds;
}

void* NewShell() {
  void* shell = rbhost::NewInstance("Shell");
  rbhost::SetInteger(shell, "TimeOut", -1);
  return shell;
}

// One synchronous run; stores its time and the host's string-building part.
bool TimeShellCat(void* shell, const std::string& file, double* total, double* build) {
  pwbench::ResetBuildSeconds();
  double start = NowSeconds();
  rbhost::Call(shell, "Execute(command as String)", "cat '" + file + "'");
  *total = NowSeconds() - start;
  *build = pwbench::BuildSeconds();
  return rbhost::GetInteger(shell, "ErrorCode") == 0;
}

void PrintRate(const char* what, double seconds, double mb) {
  std::printf("  %-30s %7.3f s  %8.1f MB/s\n", what, seconds, mb / seconds);
}

// Rounds of pipe, Python and Shell over one file warmed in the page cache.
bool Throughput(const std::string& file, long sizeMb, int runs, bool shellOnly) {
  const double mb = static_cast<double>(sizeMb);
  TimeSystem("cat '" + file + "' > /dev/null");
  std::vector<double> pipe, python, shell, shellOwn;
  void* sh = NewShell();
  for (int i = 0; i < runs; ++i) {
    if (!shellOnly) {
      pipe.push_back(TimeSystem("cat '" + file + "' | cat > /dev/null"));
      python.push_back(TimePython(file));
    }
    double total = 0, build = 0;
    if (!TimeShellCat(sh, file, &total, &build)) return false;
    shell.push_back(total);
    shellOwn.push_back(total - build);
  }
  // Check the bytes arrived (one more copy through the stand-in is fine here).
  bool whole = rbhost::GetString(sh, "Result").size() == static_cast<size_t>(sizeMb << 20);
  rbhost::DeleteInstance(sh);
  if (!whole) return false;
  std::printf("cat of %ld MB, median of %d rounds:\n", sizeMb, runs);
  double s = Median(shell);
  PrintRate("Shell sync Execute", s, mb);
  PrintRate("  first run", shell.front(), mb);
  PrintRate("  less host REALBuildString", Median(shellOwn), mb);
  if (shellOnly) return true;
  double p = Median(pipe), py = Median(python);
  PrintRate("plain pipe", p, mb);
  PrintRate("python subprocess", py, mb);
  std::printf("  Shell is %.2f of pipe, %.2f of python (less host strings: %.2f, %.2f)\n",
              p / s, py / s, p / Median(shellOwn), py / Median(shellOwn));
  std::printf("  target: >= 0.50 of pipe and >= 1.00 of python: %s\n",
              (p / s >= 0.5 && py / s >= 1.0) ? "met" : "NOT met");
  return true;
}

void SleepCpu() {
  void* sleeper = NewShell();
  double cpu0 = CpuSeconds(), wall0 = NowSeconds();
  rbhost::Call(sleeper, "Execute(command as String)", "sleep 2");
  double cpu = CpuSeconds() - cpu0, wall = NowSeconds() - wall0;
  rbhost::DeleteInstance(sleeper);
  std::printf("sync `sleep 2`: %.3f s wall, %.1f ms host CPU (target < 100 ms): %s\n",
              wall, cpu * 1e3, cpu < 0.1 ? "met" : "NOT met");
}

void PrintTimeAndExit() {
  struct timespec t;
  clock_gettime(CLOCK_MONOTONIC, &t);
  std::printf("%ld %ld", static_cast<long>(t.tv_sec), t.tv_nsec);
  std::fflush(stdout);
  _exit(0);
}

std::string SelfPath() {
  char path[4096];
  ssize_t n = readlink("/proc/self/exe", path, sizeof path - 1);
  return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

void ExitToReturn() {
  void* quick = NewShell();
  std::vector<double> latencies;
  std::string self = "'" + SelfPath() + "' --print-time";
  for (int i = 0; i < 50; ++i) {
    rbhost::Call(quick, "Execute(command as String)", "exec " + self);
    double returned = NowSeconds();
    long sec = 0, nsec = 0;
    if (std::sscanf(rbhost::GetString(quick, "Result").c_str(), "%ld %ld", &sec, &nsec) != 2) continue;
    latencies.push_back((returned - (static_cast<double>(sec) + static_cast<double>(nsec) * 1e-9)) * 1e3);
  }
  rbhost::DeleteInstance(quick);
  if (latencies.empty()) return;
  double worst = *std::max_element(latencies.begin(), latencies.end());
  std::printf("exit-to-return over %zu runs: median %.2f ms, max %.2f ms (target < 5 ms): %s\n",
              latencies.size(), Median(latencies), worst, worst < 5.0 ? "met" : "NOT met");
}

// One synchronous run of `bytes` zero bytes; true when the outcome is as a
// host string of that length allows.
bool LimitRun(long long bytes) {
  void* shell = NewShell();
  double start = NowSeconds();
  rbhost::Call(shell, "Execute(command as String)",
               "head -c " + std::to_string(bytes) + " /dev/zero");
  double seconds = NowSeconds() - start;
  int code = rbhost::GetInteger(shell, "ErrorCode");
  std::string result = rbhost::GetString(shell, "Result");
  rbhost::DeleteInstance(shell);
  const long long kHostMax = 2147483647;
  bool fits = bytes <= kHostMax;
  bool ok = fits ? (code == 0 && static_cast<long long>(result.size()) == bytes)
                 : (code == -3 && result == "Shell output too large");
  std::printf("%lld bytes: ErrorCode %d, Result of %zu bytes%s, %.1f s: %s\n",
              bytes, code, result.size(),
              result.size() < 64 ? (" \"" + result + "\"").c_str() : "",
              seconds, ok ? "as expected" : "WRONG");
  return ok;
}

bool HostStringLimit() {
  bool ok = LimitRun(2147483647LL);       // the longest a host string holds
  ok = LimitRun(2147483648LL) && ok;      // one byte over
  ok = LimitRun(4294967296LL + 10) && ok;  // over by a 32-bit wrap
  return ok;
}

}  // namespace

int main(int argc, char** argv) {
  long sizeMb = 200;
  int runs = 5;
  bool shellOnly = false;
  bool limitOnly = false;
  std::string dir = "/tmp";
  std::string library = PIPEWELL_LIBRARY;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--print-time") == 0) PrintTimeAndExit();
    if (std::strcmp(argv[i], "--size-mb") == 0 && i + 1 < argc) sizeMb = std::atol(argv[++i]);
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) dir = argv[++i];
    if (std::strcmp(argv[i], "--shell-only") == 0) shellOnly = true;
    if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc) library = argv[++i];
    if (std::strcmp(argv[i], "--host-string-limit") == 0) limitOnly = true;
  }
  pipewell_loader::Plugin plugin;
  std::string error;
  if (!pipewell_loader::LoadPlugin(library, &plugin, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  plugin.main(&pwbench::TimedResolve);
  if (limitOnly) return HostStringLimit() ? 0 : 1;

  std::string file = dir + "/pipewell-bench-" + std::to_string(getpid()) + ".dat";
  if (!MakeFile(file, sizeMb)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return 1;
  }
  bool ok = Throughput(file, sizeMb, runs, shellOnly);
  unlink(file.c_str());
  if (!ok) {
    std::fprintf(stderr, "a Shell run failed or collected the wrong byte count\n");
    return 1;
  }
  if (shellOnly) return 0;
  SleepCpu();
  ExitToReturn();
  return 0;
}
