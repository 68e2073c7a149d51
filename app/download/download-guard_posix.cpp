#include "download-guard.h"

#include <errno.h>
#include <limits.h>
#include <signal.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// The signals by which a caller asks Florrin to end.
const int kSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Room in the table: a download guards at most its working file, wget's
// log in the current folder, and two private folders (the request's and
// the downloader's), each with a handful of files.
constexpr int kSlots = 6;
constexpr int kNames = 8;
constexpr size_t kNameMax = 32;

// One guarded path. The handler reads a slot only while `bUsed` is set, and
// the program sets it only once the slot is filled, so the handler never
// sees half a path.
struct Slot {
  volatile sig_atomic_t bUsed;
  volatile sig_atomic_t bFolder;
  volatile sig_atomic_t nNames;
  char path[PATH_MAX];
  char names[kNames][kNameMax];
};

Slot g_slots[kSlots];
volatile sig_atomic_t g_downloader = 0;
// Which signals the guard handles (those not ignored at its start).
bool g_handled[sizeof kSignals / sizeof kSignals[0]];
bool g_installed = false;

// strlen and strcpy are not on every system's list of async-signal-safe
// calls; these are.
size_t Length(const char* s) {
  size_t n = 0;
  while (s[n] != '\0') ++n;
  return n;
}

void CopyText(char* to, const char* from, size_t n) {
  for (size_t i = 0; i < n; ++i) to[i] = from[i];
  to[n] = '\0';
}

void RemoveSlot(const Slot& slot) {
  if (!slot.bFolder) {
    unlink(slot.path);
    return;
  }
  char file[PATH_MAX + kNameMax + 1];
  const size_t n = Length(slot.path);
  CopyText(file, slot.path, n);
  file[n] = '/';
  for (int i = 0; i < slot.nNames && i < kNames; ++i) {
    CopyText(file + n + 1, slot.names[i], Length(slot.names[i]));
    unlink(file);
  }
  rmdir(slot.path);
}

extern "C" void OnEndingSignal(int sig) {
  const pid_t downloader = static_cast<pid_t>(g_downloader);
  if (downloader > 0) {
    // The group: a downloader may have started programs of its own. Reaped,
    // so that it writes nothing more into the files removed below.
    kill(-downloader, SIGKILL);
    kill(downloader, SIGKILL);
    while (waitpid(downloader, nullptr, 0) < 0 && errno == EINTR) {
    }
  }
  // Files first: a folder goes only once it is empty.
  for (const Slot& slot : g_slots) {
    if (slot.bUsed && !slot.bFolder) RemoveSlot(slot);
  }
  for (const Slot& slot : g_slots) {
    if (slot.bUsed && slot.bFolder) RemoveSlot(slot);
  }
  // Then end as the signal asks: its default action, at once.
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  sigaction(sig, &dfl, nullptr);
  sigset_t set;
  sigemptyset(&set);
  sigaddset(&set, sig);
  sigprocmask(SIG_UNBLOCK, &set, nullptr);
  raise(sig);
  _exit(128 + sig);
}

sigset_t GuardSignals() {
  sigset_t set;
  sigemptyset(&set);
  for (int sig : kSignals) sigaddset(&set, sig);
  return set;
}

}  // namespace

void InstallDownloadGuard() {
  if (g_installed) return;
  g_installed = true;
  struct sigaction action {};
  action.sa_handler = OnEndingSignal;
  action.sa_mask = GuardSignals();
  for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    struct sigaction old {};
    if (sigaction(kSignals[i], nullptr, &old) != 0) continue;
    // A run started in the background by a shell ignores SIGINT: that is
    // the caller's wish and stays so.
    if (old.sa_handler == SIG_IGN) continue;
    g_handled[i] = sigaction(kSignals[i], &action, nullptr) == 0;
  }
}

GuardHold::GuardHold() {
  const sigset_t set = GuardSignals();
  sigprocmask(SIG_BLOCK, &set, &old_);
}

GuardHold::~GuardHold() { sigprocmask(SIG_SETMASK, &old_, nullptr); }

void GuardHold::RestoreInChild() const {
  struct sigaction dfl {};
  dfl.sa_handler = SIG_DFL;
  sigemptyset(&dfl.sa_mask);
  for (size_t i = 0; i < sizeof kSignals / sizeof kSignals[0]; ++i) {
    if (g_handled[i]) sigaction(kSignals[i], &dfl, nullptr);
  }
  sigprocmask(SIG_SETMASK, &old_, nullptr);
}

GuardedPath::GuardedPath(const sString& path, GuardedKind kind) {
  if (path.empty() || path.size() >= PATH_MAX ||
      path.find('\0') != sString::npos) {
    return;
  }
  for (int i = 0; i < kSlots; ++i) {
    Slot& slot = g_slots[i];
    if (slot.bUsed) continue;
    CopyText(slot.path, path.c_str(), path.size());
    slot.bFolder = kind == GuardedKind::kFolder;
    slot.nNames = 0;
    slot.bUsed = 1;
    slot_ = i;
    return;
  }
}

GuardedPath::~GuardedPath() {
  if (slot_ >= 0) g_slots[slot_].bUsed = 0;
}

void GuardedPath::AddName(const char* name) const {
  if (slot_ < 0) return;
  Slot& slot = g_slots[slot_];
  const size_t n = Length(name);
  if (n == 0 || n >= kNameMax || slot.nNames >= kNames) return;
  for (int i = 0; i < slot.nNames; ++i) {
    if (Length(slot.names[i]) == n &&
        sString(slot.names[i]) == sString(name)) {
      return;
    }
  }
  CopyText(slot.names[slot.nNames], name, n);
  slot.nNames = slot.nNames + 1;
}

void GuardDownloader(int pid) { g_downloader = pid; }
