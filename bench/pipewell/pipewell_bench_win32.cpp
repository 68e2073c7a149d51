// pipewell-bench for Windows: a synchronous Execute that collects 200 MB,
// against a plain CreatePipe/ReadFile loop reading the same child's output,
// in the same rounds. The child is this program itself (--emit MB), started
// through cmd.exe in both cases. Under Wine only the ratio means much.
//
// Usage: pipewell-bench [--size-mb N] [--runs N] [--library PATH]
#include <windows.h>

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
  LARGE_INTEGER now, frequency;
  QueryPerformanceCounter(&now);
  QueryPerformanceFrequency(&frequency);
  return static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}

double Median(std::vector<double> v) {
  if (v.empty()) return -1;
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

int Emit(long megabytes) {
  std::vector<char> block(1 << 20);
  for (size_t i = 0; i < block.size(); ++i) block[i] = static_cast<char>('a' + i % 26);
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  for (long i = 0; i < megabytes; ++i) {
    DWORD written = 0;
    const char* p = block.data();
    DWORD left = static_cast<DWORD>(block.size());
    while (left > 0) {
      if (!WriteFile(out, p, left, &written, nullptr)) return 1;
      p += written;
      left -= written;
    }
  }
  return 0;
}

std::string SelfPath() {
  char path[MAX_PATH] = {0};
  GetModuleFileNameA(nullptr, path, MAX_PATH);
  return path;
}

// The plain loop: the same cmd.exe line, its output read with ReadFile into
// a fixed buffer until the pipe ends. Returns the seconds, -1 on failure.
double TimePlainPipe(const std::string& command, long long expected) {
  double start = NowSeconds();
  SECURITY_ATTRIBUTES inheritable = {sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE read = nullptr, write = nullptr;
  if (!CreatePipe(&read, &write, &inheritable, 0)) return -1;
  SetHandleInformation(read, HANDLE_FLAG_INHERIT, 0);
  STARTUPINFOA startup;
  ZeroMemory(&startup, sizeof startup);
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = write;
  startup.hStdError = write;
  PROCESS_INFORMATION info;
  std::string line = "cmd.exe /A /C \"" + command + "\" ";
  if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, TRUE, 0, nullptr,
                      nullptr, &startup, &info)) {
    CloseHandle(read);
    CloseHandle(write);
    return -1;
  }
  CloseHandle(write);
  std::vector<char> buffer(1 << 16);
  long long total = 0;
  DWORD got = 0;
  while (ReadFile(read, buffer.data(), static_cast<DWORD>(buffer.size()), &got, nullptr) &&
         got > 0) {
    total += got;
  }
  WaitForSingleObject(info.hProcess, INFINITE);
  CloseHandle(info.hProcess);
  CloseHandle(info.hThread);
  CloseHandle(read);
  double seconds = NowSeconds() - start;
  return total == expected ? seconds : -1;
}

// One synchronous Execute; the seconds, or -1 when the bytes are not all there.
double TimeShell(void* shell, const std::string& command, long long expected) {
  pwbench::ResetBuildSeconds();
  double start = NowSeconds();
  rbhost::Call(shell, "Execute(command as String)", command);
  double seconds = NowSeconds() - start;
  bool whole = rbhost::GetInteger(shell, "ErrorCode") == 0 &&
               static_cast<long long>(rbhost::GetString(shell, "Result").size()) == expected;
  return whole ? seconds : -1;
}

void PrintRate(const char* what, double seconds, double mb) {
  std::printf("  %-30s %7.3f s  %8.1f MB/s\n", what, seconds, mb / seconds);
}

}  // namespace

int main(int argc, char** argv) {
  long sizeMb = 200;
  int runs = 5;
  std::string library = PIPEWELL_LIBRARY;
  for (int i = 1; i < argc; ++i) {
    if (std::strcmp(argv[i], "--emit") == 0 && i + 1 < argc) return Emit(std::atol(argv[i + 1]));
    if (std::strcmp(argv[i], "--size-mb") == 0 && i + 1 < argc) sizeMb = std::atol(argv[++i]);
    if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) runs = std::max(1, std::atoi(argv[++i]));
    if (std::strcmp(argv[i], "--library") == 0 && i + 1 < argc) library = argv[++i];
  }
  pipewell_loader::Plugin plugin;
  std::string error;
  if (!pipewell_loader::LoadPlugin(library, &plugin, &error)) {
    std::fprintf(stderr, "%s\n", error.c_str());
    return 1;
  }
  plugin.main(&pwbench::TimedResolve);
  void* shell = rbhost::NewInstance("Shell");
  rbhost::SetInteger(shell, "TimeOut", -1);

  const std::string command = SelfPath() + " --emit " + std::to_string(sizeMb);
  const long long expected = static_cast<long long>(sizeMb) << 20;
  std::vector<double> plain, viaShell, shellOwn;
  for (int i = 0; i < runs; ++i) {
    double p = TimePlainPipe(command, expected);
    double s = TimeShell(shell, command, expected);
    if (p < 0 || s < 0) {
      std::fprintf(stderr, "a run failed or collected the wrong byte count\n");
      return 1;
    }
    plain.push_back(p);
    viaShell.push_back(s);
    shellOwn.push_back(s - pwbench::BuildSeconds());
  }
  rbhost::DeleteInstance(shell);
  const double mb = static_cast<double>(sizeMb);
  double p = Median(plain), s = Median(viaShell);
  std::printf("%ld MB through cmd.exe, median of %d rounds:\n", sizeMb, runs);
  PrintRate("Shell sync Execute", s, mb);
  PrintRate("  less host REALBuildString", Median(shellOwn), mb);
  PrintRate("plain CreatePipe/ReadFile loop", p, mb);
  std::printf("  Shell is %.2f of the plain loop (less host strings: %.2f); "
              "target >= 0.50: %s\n",
              p / s, p / Median(shellOwn), p / s >= 0.5 ? "met" : "NOT met");
  return 0;
}
