// Timers on Windows: window timers on one hidden window of the library's,
// dispatched by the host's own message loop, each keyed by the instance;
// and the library's entry point, which takes them away at unload.
#include <windows.h>

#include <map>

#include "os_process.h"

namespace pipewell {
namespace {

const char kClassName[] = "PipewellTimer";

// This library's own module: the window class is registered on it, not on
// the host program, so that it goes with the library when the host unloads
// it, and a later load registers it afresh.
HINSTANCE g_module = nullptr;
bool g_classRegistered = false;
HWND g_timerWindow = nullptr;

std::map<uintptr_t, TimerProc>& Procs() {
  static auto* procs = new std::map<uintptr_t, TimerProc>();
  return *procs;
}

LRESULT CALLBACK TimerWindowProc(HWND window, UINT message, WPARAM w,
                                 LPARAM l) {
  return DefWindowProcA(window, message, w, l);
}

// What the host's DispatchMessage calls for each WM_TIMER of our window.
void CALLBACK TimerFired(HWND, UINT, UINT_PTR id, DWORD) {
  auto it = Procs().find(id);
  if (it != Procs().end()) it->second(id);
}

HWND CreateTimerWindow(HWND parent) {
  return CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, parent, nullptr,
                         g_module, nullptr);
}

// Tried again at each start until it works: a start without it fails, and
// the next may find the system willing.
bool MakeTimerWindow() {
  if (g_module == nullptr) return false;
  if (!g_classRegistered) {
    WNDCLASSA windowClass;
    ZeroMemory(&windowClass, sizeof windowClass);
    windowClass.lpfnWndProc = &TimerWindowProc;
    windowClass.hInstance = g_module;
    windowClass.lpszClassName = kClassName;
    if (RegisterClassA(&windowClass) == 0) return false;
    g_classRegistered = true;
  }
  g_timerWindow = CreateTimerWindow(nullptr);
  // A host without a desktop (a service, headless Wine) gets no top-level
  // window; a message-only one still carries timers on the calling thread.
  if (g_timerWindow == nullptr) g_timerWindow = CreateTimerWindow(HWND_MESSAGE);
  return g_timerWindow != nullptr;
}

// The host is unloading the library: nothing of it may fire or be found
// afterwards, so its timers, window and class go with it.
void RemoveTimerWindow() {
  if (g_timerWindow != nullptr) {
    for (const auto& timer : Procs()) KillTimer(g_timerWindow, timer.first);
    // A WM_TIMER already taken into the queue would call into the
    // unloaded code.
    MSG message;
    while (PeekMessageA(&message, g_timerWindow, WM_TIMER, WM_TIMER,
                        PM_REMOVE)) {
    }
    DestroyWindow(g_timerWindow);
    g_timerWindow = nullptr;
  }
  Procs().clear();
  if (g_classRegistered) UnregisterClassA(kClassName, g_module);
  g_classRegistered = false;
}

}  // namespace

bool OsStartTimer(uintptr_t id, uint32_t periodMs, TimerProc proc) {
  if (g_timerWindow == nullptr && !MakeTimerWindow()) return false;
  try {
    Procs()[id] = proc;
  } catch (...) {
    return false;
  }
  if (SetTimer(g_timerWindow, id, periodMs, &TimerFired) == 0) {
    Procs().erase(id);
    return false;
  }
  return true;
}

void OsStopTimer(uintptr_t id) {
  if (g_timerWindow != nullptr) KillTimer(g_timerWindow, id);
  Procs().erase(id);
}

int OsDispatchTimers() {
  // The host's message loop dispatches the timers; children need no reaping.
  return -1;
}

}  // namespace pipewell

// Only at FreeLibrary (no `reserved`): at process exit the system removes
// windows and classes itself, and other threads may already be gone.
extern "C" BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) {
    pipewell::g_module = module;
  } else if (reason == DLL_PROCESS_DETACH && reserved == nullptr) {
    pipewell::RemoveTimerWindow();
  }
  return TRUE;
}
