#include "plugin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace pipewell_run {
namespace {

std::string ExecutableDirectory() {
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return std::string();
  std::string exe(path.data(), static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  return slash == std::string::npos ? std::string() : exe.substr(0, slash);
}

bool FileExists(const std::string& path) {
  return !path.empty() && access(path.c_str(), R_OK) == 0;
}

}  // namespace

bool LoadPlugin(const std::string& path, Plugin* plugin, std::string* error) {
  std::string chosen = path;
  if (chosen.empty()) {
    std::string beside = ExecutableDirectory() + "/libpipewell.so";
    chosen = FileExists(beside) ? beside : std::string(PIPEWELL_BUILT_LIBRARY);
  }
  void* handle = dlopen(chosen.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    *error = "cannot load " + chosen + ": " + (why != nullptr ? why : "?");
    return false;
  }
  plugin->main = reinterpret_cast<void (*)(void* (*)(const char*))>(
      dlsym(handle, "REALPluginMain"));
  plugin->dispatchTimers =
      reinterpret_cast<int (*)()>(dlsym(handle, "PipewellDispatchTimers"));
  if (plugin->main == nullptr || plugin->dispatchTimers == nullptr) {
    *error = chosen + " lacks the plug-in entry points";
    return false;
  }
  return true;
}

}  // namespace pipewell_run
