#ifndef PIPEWELL_PLUGIN_EXPORTS_H_
#define PIPEWELL_PLUGIN_EXPORTS_H_

// The library's only exported functions. Everything else is hidden.

#if defined(_WIN32)
#define PIPEWELL_EXPORT __declspec(dllexport)
#else
#define PIPEWELL_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {

// Entry point called by the host once it has loaded the library: keeps
// `resolver` for the life of the process, announces the plug-in version and
// registers `ShellNotRunningException`, `ShellNotAvailableException` and
// `Shell`. Calling it again re-registers through the new resolver.
PIPEWELL_EXPORT void REALPluginMain(void* (*resolver)(const char* name));

// To be called by the host's event loop on its main thread: runs the timer
// tick of every watched `Shell` that is due and reaps released children.
// Returns the milliseconds until the next tick is due, or -1 when no
// `Shell` is being watched.
PIPEWELL_EXPORT int PipewellDispatchTimers(void);

}  // extern "C"

#endif  // PIPEWELL_PLUGIN_EXPORTS_H_
