#include "plugin_loader.h"

#include <dlfcn.h>
#include <unistd.h>

#include <vector>

namespace pipewell_loader {

bool LoadPlugin(const std::string& path, Plugin* plugin, std::string* error) {
  void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  if (handle == nullptr) {
    const char* why = dlerror();
    *error = "cannot load " + path + ": " + (why != nullptr ? why : "?");
    return false;
  }
  Plugin found;
  found.main = reinterpret_cast<void (*)(void* (*)(const char*))>(
      dlsym(handle, "REALPluginMain"));
  found.dispatchTimers =
      reinterpret_cast<int (*)()>(dlsym(handle, "PipewellDispatchTimers"));
  if (found.main == nullptr || found.dispatchTimers == nullptr) {
    *error = path + " lacks the plug-in entry points";
    dlclose(handle);
    return false;
  }
  found.library = handle;
  *plugin = found;
  return true;
}

void UnloadPlugin(Plugin* plugin) {
  if (plugin->library != nullptr) dlclose(plugin->library);
  *plugin = Plugin();
}

std::string FileNearExecutable(const std::string& relative) {
  std::vector<char> path(4096);
  ssize_t n = readlink("/proc/self/exe", path.data(), path.size() - 1);
  if (n <= 0) return std::string();
  std::string exe(path.data(), static_cast<size_t>(n));
  size_t slash = exe.rfind('/');
  if (slash == std::string::npos) return std::string();
  std::string near = exe.substr(0, slash) + "/" + relative;
  return access(near.c_str(), R_OK) == 0 ? near : std::string();
}

std::string LibraryBesideExecutable() {
  return FileNearExecutable("libpipewell.so");
}

}  // namespace pipewell_loader
