// pipewell-bench: measures the Shell plug-in against its speed targets.
//
//   1. synchronous Execute of `cat` over a 200 MB file, against a plain
//      pipe (`cat file | cat > /dev/null`) and Python's subprocess.run with
//      capture_output=True;
//   2. host CPU time spent in a synchronous `sleep 2`;
//   3. time from the child's exit to Execute returning.
//
// Usage: pipewell-bench [--size-mb N] [--dir DIR]
#include <dlfcn.h>
#include <sys/resource.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

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

bool MakeFile(const std::string& path, long megabytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (f == nullptr) return false;
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
  for (long i = 0; i < megabytes; ++i) std::fwrite(block.data(), 1, block.size(), f);
  return std::fclose(f) == 0;
}

// Seconds a shell command line takes, best of `runs`.
double TimeSystem(const std::string& command, int runs) {
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    double start = NowSeconds();
    if (std::system(command.c_str()) != 0) return -1;
    best = std::min(best, NowSeconds() - start);
  }
  return best;
}

// Python measures only its own subprocess.run call, best of `runs`.
double TimePython(const std::string& file, int runs) {
  std::string script =
      "import subprocess,time\n"
      "best=1e9\n"
      "for _ in range(" + std::to_string(runs) + "):\n"
      "  t=time.monotonic()\n"
      "  r=subprocess.run(['cat','" + file + "'],capture_output=True)\n"
      "  best=min(best,time.monotonic()-t)\n"
      "print(best)\n";
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

double TimeShellCat(const std::string& file, long expectBytes, int runs) {
  void* shell = NewShell();
  double best = 1e9;
  for (int i = 0; i < runs; ++i) {
    double start = NowSeconds();
    rbhost::Call(shell, "Execute(command as String)", "cat '" + file + "'");
    best = std::min(best, NowSeconds() - start);
    if (rbhost::GetInteger(shell, "ErrorCode") != 0) best = -1;
  }
  // Check the bytes arrived (one copy through the stand-in is fine here).
  if (static_cast<long>(rbhost::GetString(shell, "Result").size()) != expectBytes) best = -1;
  rbhost::DeleteInstance(shell);
  return best;
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

}  // namespace

int main(int argc, char** argv) {
  long sizeMb = 200;
  std::string dir = "/tmp";
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--print-time") == 0) PrintTimeAndExit();
    if (std::strcmp(argv[i], "--size-mb") == 0 && i + 1 < argc) sizeMb = std::atol(argv[++i]);
    if (std::strcmp(argv[i], "--dir") == 0 && i + 1 < argc) dir = argv[++i];
  }
  void* lib = dlopen(PIPEWELL_LIBRARY, RTLD_NOW | RTLD_LOCAL);
  if (lib == nullptr) {
    std::fprintf(stderr, "cannot load %s\n", PIPEWELL_LIBRARY);
    return 1;
  }
  auto pluginMain = reinterpret_cast<void (*)(void* (*)(const char*))>(
      dlsym(lib, "REALPluginMain"));
  pluginMain(&rbhost::Resolve);

  // 1. Throughput.
  std::string file = dir + "/pipewell-bench-" + std::to_string(getpid()) + ".dat";
  if (!MakeFile(file, sizeMb)) {
    std::fprintf(stderr, "cannot write %s\n", file.c_str());
    return 1;
  }
  const double mb = static_cast<double>(sizeMb);
  const int runs = 3;
  TimeSystem("cat '" + file + "' > /dev/null", 1);  // warm the page cache
  double pipe = TimeSystem("cat '" + file + "' | cat > /dev/null", runs);
  double python = TimePython(file, runs);
  double shell = TimeShellCat(file, sizeMb << 20, runs);
  unlink(file.c_str());
  std::printf("cat of %ld MB (best of %d):\n", sizeMb, runs);
  std::printf("  plain pipe          %7.3f s  %8.1f MB/s\n", pipe, mb / pipe);
  std::printf("  python subprocess   %7.3f s  %8.1f MB/s\n", python, mb / python);
  std::printf("  Shell sync Execute  %7.3f s  %8.1f MB/s  (%.2f of pipe, %.2f of python)\n",
              shell, mb / shell, pipe / shell, python / shell);
  std::printf("  target: >= 0.50 of pipe and >= 1.00 of python: %s\n",
              (pipe / shell >= 0.5 && python / shell >= 1.0) ? "met" : "NOT met");

  // 2. CPU time of a synchronous `sleep 2`.
  void* sleeper = NewShell();
  double cpu0 = CpuSeconds(), wall0 = NowSeconds();
  rbhost::Call(sleeper, "Execute(command as String)", "sleep 2");
  double cpu = CpuSeconds() - cpu0, wall = NowSeconds() - wall0;
  rbhost::DeleteInstance(sleeper);
  std::printf("sync `sleep 2`: %.3f s wall, %.1f ms host CPU (target < 100 ms): %s\n",
              wall, cpu * 1e3, cpu < 0.1 ? "met" : "NOT met");

  // 3. Exit-to-return latency.
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
  std::sort(latencies.begin(), latencies.end());
  if (!latencies.empty()) {
    std::printf("exit-to-return over %zu runs: median %.2f ms, max %.2f ms (target < 5 ms): %s\n",
                latencies.size(), latencies[latencies.size() / 2], latencies.back(),
                latencies.back() < 5.0 ? "met" : "NOT met");
  }
  return 0;
}
