#ifndef PIPEWELL_RUN_PLUGIN_LOADER_H_
#define PIPEWELL_RUN_PLUGIN_LOADER_H_

#include <string>

// Loads the plug-in library the way a host does: by path, at run time.

namespace pipewell_run {

struct Plugin {
  void (*main)(void* (*)(const char*)) = nullptr;  // REALPluginMain
  int (*dispatchTimers)() = nullptr;               // PipewellDispatchTimers
};

// Loads `path`, or when it is empty the library beside this executable and
// then the one found at build time. Fills `plugin` and returns true, or
// returns false with a message in `error`.
bool LoadPlugin(const std::string& path, Plugin* plugin, std::string* error);

}  // namespace pipewell_run

#endif  // PIPEWELL_RUN_PLUGIN_LOADER_H_
