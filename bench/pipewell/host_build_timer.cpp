#include "host_build_timer.h"

#include <chrono>
#include <cstring>

#include "rbhost.h"

namespace pwbench {
namespace {

using BuildFn = void* (*)(const char*, int);
BuildFn g_realBuild = nullptr;
std::chrono::steady_clock::duration g_buildTime{};

void* TimedBuild(const char* bytes, int length) {
  auto start = std::chrono::steady_clock::now();
  void* s = g_realBuild(bytes, length);
  g_buildTime += std::chrono::steady_clock::now() - start;
  return s;
}

}  // namespace

void* TimedResolve(const char* name) {
  void* entry = rbhost::Resolve(name);
  if (name == nullptr || std::strcmp(name, "REALBuildString") != 0) return entry;
  g_realBuild = reinterpret_cast<BuildFn>(entry);
  return reinterpret_cast<void*>(&TimedBuild);
}

double BuildSeconds() {
  return std::chrono::duration<double>(g_buildTime).count();
}

void ResetBuildSeconds() { g_buildTime = {}; }

}  // namespace pwbench
