#include "download-guard.h"

#include <windows.h>

#include <filesystem>
#include <string>
#include <system_error>

#include "wide-name_win32.h"

namespace {

// How long the handler waits for the downloader to be gone before it
// removes the files the downloader may still hold open.
const DWORD kEndWaitMs = 5000;

// The exit status of a program ended by Ctrl-C (STATUS_CONTROL_C_EXIT).
const UINT kControlCExit = 0xC000013A;

constexpr int kSlots = 6;

struct Slot {
  bool bUsed = false;
  bool bFolder = false;
  std::wstring path;
};

// The table, and the lock that the handler takes and never gives back: the
// program's own thread stops at its next use of the guard, so it neither
// goes on with a download whose files are gone nor prints anything.
CRITICAL_SECTION g_lock;
INIT_ONCE g_lockOnce = INIT_ONCE_STATIC_INIT;
Slot g_slots[kSlots];
HANDLE g_job = nullptr;
HANDLE g_process = nullptr;
bool g_installed = false;

BOOL CALLBACK InitLock(PINIT_ONCE, PVOID, PVOID*) {
  InitializeCriticalSection(&g_lock);
  return TRUE;
}

CRITICAL_SECTION* Lock() {
  InitOnceExecuteOnce(&g_lockOnce, InitLock, nullptr, nullptr);
  return &g_lock;
}

// Removes the folder `path` with the files in it.
void RemoveFolder(const std::wstring& path) {
  std::error_code ec;
  std::filesystem::remove_all(std::filesystem::path(path), ec);
}

// Ends the downloader's job and waits, a while, until no process of it is
// left, so that no file of the download is held open or written.
void EndDownloader() {
  if (g_job != nullptr) TerminateJobObject(g_job, 1);
  else if (g_process != nullptr) TerminateProcess(g_process, 1);
  if (g_process != nullptr) WaitForSingleObject(g_process, kEndWaitMs);
  if (g_job == nullptr) return;
  for (DWORD waited = 0; waited < kEndWaitMs; waited += 10) {
    JOBOBJECT_BASIC_ACCOUNTING_INFORMATION info;
    if (!QueryInformationJobObject(g_job, JobObjectBasicAccountingInformation,
                                   &info, sizeof info, nullptr) ||
        info.ActiveProcesses == 0) {
      return;
    }
    Sleep(10);
  }
}

BOOL WINAPI OnConsoleEvent(DWORD event) {
  switch (event) {
    case CTRL_C_EVENT:
    case CTRL_BREAK_EVENT:
    case CTRL_CLOSE_EVENT:
    case CTRL_LOGOFF_EVENT:
    case CTRL_SHUTDOWN_EVENT:
      break;
    default:
      return FALSE;
  }
  EnterCriticalSection(Lock());  // kept until the process ends
  EndDownloader();
  for (const Slot& slot : g_slots) {
    if (slot.bUsed && !slot.bFolder) DeleteFileW(slot.path.c_str());
  }
  for (const Slot& slot : g_slots) {
    if (slot.bUsed && slot.bFolder) RemoveFolder(slot.path);
  }
  // Then end as the event asks: Ctrl-C and Ctrl-Break as the system's own
  // handler ends a program (which not every system that runs Windows
  // programs does alike); the others by that handler.
  if (event == CTRL_C_EVENT || event == CTRL_BREAK_EVENT) {
    ExitProcess(kControlCExit);
  }
  return FALSE;
}

}  // namespace

void InstallDownloadGuard() {
  EnterCriticalSection(Lock());
  if (!g_installed) {
    g_installed = true;
    SetConsoleCtrlHandler(OnConsoleEvent, TRUE);
  }
  LeaveCriticalSection(Lock());
}

GuardHold::GuardHold() { EnterCriticalSection(Lock()); }

GuardHold::~GuardHold() { LeaveCriticalSection(Lock()); }

GuardedPath::GuardedPath(const sString& path, GuardedKind kind) {
  std::wstring wide;
  if (path.empty() || !Widen(path, &wide)) return;
  EnterCriticalSection(Lock());
  for (int i = 0; i < kSlots; ++i) {
    if (g_slots[i].bUsed) continue;
    g_slots[i].path = wide;
    g_slots[i].bFolder = kind == GuardedKind::kFolder;
    g_slots[i].bUsed = true;
    slot_ = i;
    break;
  }
  LeaveCriticalSection(Lock());
}

GuardedPath::~GuardedPath() {
  if (slot_ < 0) return;
  EnterCriticalSection(Lock());
  g_slots[slot_].bUsed = false;
  g_slots[slot_].path.clear();
  LeaveCriticalSection(Lock());
}

void GuardedPath::AddName(const char*) const {}

void GuardDownloader(void* job, void* process) {
  EnterCriticalSection(Lock());
  g_job = static_cast<HANDLE>(job);
  g_process = static_cast<HANDLE>(process);
  LeaveCriticalSection(Lock());
}
