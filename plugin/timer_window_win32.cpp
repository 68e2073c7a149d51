// Timers on Windows: window timers on one hidden window of the library's,
// dispatched by the host's own message loop, each keyed by the instance.
#include <windows.h>

#include <map>

#include "os_process.h"

namespace pipewell {
namespace {

const char kClassName[] = "PipewellTimer";

// Tried once per process, whether or not it worked.
bool g_classPending = true;
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

HWND CreateTimerWindow(HINSTANCE module, HWND parent) {
  return CreateWindowExA(0, kClassName, "", 0, 0, 0, 0, 0, parent, nullptr,
                         module, nullptr);
}

void MakeTimerWindow() {
  g_classPending = false;
  HINSTANCE module = GetModuleHandleA(nullptr);
  WNDCLASSA windowClass;
  ZeroMemory(&windowClass, sizeof windowClass);
  windowClass.lpfnWndProc = &TimerWindowProc;
  windowClass.hInstance = module;
  windowClass.lpszClassName = kClassName;
  if (RegisterClassA(&windowClass) == 0) return;
  g_timerWindow = CreateTimerWindow(module, nullptr);
  // A host without a desktop (a service, headless Wine) gets no top-level
  // window; a message-only one still carries timers on the calling thread.
  if (g_timerWindow == nullptr) {
    g_timerWindow = CreateTimerWindow(module, HWND_MESSAGE);
  }
}

}  // namespace

bool OsStartTimer(uintptr_t id, uint32_t periodMs, TimerProc proc) {
  if (g_classPending) MakeTimerWindow();
  if (g_timerWindow == nullptr) return false;
  Procs()[id] = proc;
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
