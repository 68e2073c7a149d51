#ifndef PIPEWELL_PLUGIN_LOADER_H_
#define PIPEWELL_PLUGIN_LOADER_H_

#include <string>

// Loads the Pipewell plug-in library the way a host does: by path, at run
// time, never linked. Shared by the command-line client, the tests and the
// benchmark. Each platform's loading call lives in its own file
// (plugin_loader_<platform>.cpp).

namespace pipewell_loader {

// The plug-in's two exports, and the loaded library they belong to.
struct Plugin {
  void (*main)(void* (*)(const char*)) = nullptr;  // REALPluginMain
  int (*dispatchTimers)() = nullptr;               // PipewellDispatchTimers
  void* library = nullptr;                         // the system's handle
};

// Loads the library at `path` and finds both exports. Fills `plugin` and
// returns true, or returns false with a message in `error`. A loaded
// library stays loaded until UnloadPlugin or the end of the process.
bool LoadPlugin(const std::string& path, Plugin* plugin, std::string* error);

// Unloads the library, as a host may before loading it again; `plugin` is
// emptied. Nothing of the library (classes, instances, strings it made with
// its code) may be used afterwards.
void UnloadPlugin(Plugin* plugin);

// The path of the plug-in library in this executable's own directory when
// one is there to read, else empty.
std::string LibraryBesideExecutable();

// The path of `relative`, taken from this executable's own directory, when
// a file is there to read, else empty.
std::string FileNearExecutable(const std::string& relative);

}  // namespace pipewell_loader

#endif  // PIPEWELL_PLUGIN_LOADER_H_
