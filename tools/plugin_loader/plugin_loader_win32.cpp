#include "plugin_loader.h"

#include <windows.h>

#include <vector>

namespace pipewell_loader {
namespace {

std::wstring Widen(const std::string& path) {
  int n = MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
  if (n <= 0) return std::wstring();
  std::wstring wide(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, &wide[0], n);
  wide.resize(static_cast<size_t>(n - 1));
  // LoadLibraryW wants backslashes; build paths come with forward ones.
  for (wchar_t& c : wide) {
    if (c == L'/') c = L'\\';
  }
  return wide;
}

std::string Narrow(const std::wstring& wide) {
  int n = WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, nullptr, 0,
                              nullptr, nullptr);
  if (n <= 0) return std::string();
  std::string bytes(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, 0, wide.c_str(), -1, &bytes[0], n, nullptr,
                      nullptr);
  bytes.resize(static_cast<size_t>(n - 1));
  return bytes;
}

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
  return reinterpret_cast<Fn>(
      reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

bool LoadPlugin(const std::string& path, Plugin* plugin, std::string* error) {
  HMODULE module = LoadLibraryW(Widen(path).c_str());
  if (module == nullptr) {
    *error = "cannot load " + path + ": error " +
             std::to_string(static_cast<unsigned long>(GetLastError()));
    return false;
  }
  Plugin found;
  found.main =
      Export<void (*)(void* (*)(const char*))>(module, "REALPluginMain");
  found.dispatchTimers = Export<int (*)()>(module, "PipewellDispatchTimers");
  if (found.main == nullptr || found.dispatchTimers == nullptr) {
    *error = path + " lacks the plug-in entry points";
    FreeLibrary(module);
    return false;
  }
  found.library = module;
  *plugin = found;
  return true;
}

void UnloadPlugin(Plugin* plugin) {
  if (plugin->library != nullptr) {
    FreeLibrary(static_cast<HMODULE>(plugin->library));
  }
  *plugin = Plugin();
}

std::string FileNearExecutable(const std::string& relative) {
  std::vector<wchar_t> path(32768);
  DWORD n = GetModuleFileNameW(nullptr, path.data(),
                               static_cast<DWORD>(path.size()));
  if (n == 0 || n >= path.size()) return std::string();
  std::wstring exe(path.data(), n);
  size_t slash = exe.find_last_of(L"\\/");
  if (slash == std::wstring::npos) return std::string();
  std::wstring found = exe.substr(0, slash) + L"\\" + Widen(relative);
  if (GetFileAttributesW(found.c_str()) == INVALID_FILE_ATTRIBUTES) {
    return std::string();
  }
  return Narrow(found);
}

std::string LibraryBesideExecutable() {
  return FileNearExecutable("pipewell.dll");
}

}  // namespace pipewell_loader
