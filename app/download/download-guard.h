// What a download leaves if Florrin is ended while it runs: nothing. A
// caller may end Florrin at any moment (Ctrl-C in a terminal, a signal, a
// console being closed); the downloader it started, the private folder that
// holds the secret, and the partial working file must then go with it.
//
// The guard keeps a small table of what to end and what to remove. On POSIX
// the table is read by a signal handler, so it is fixed in size and filled
// without allocation; on Windows by the console control handler, which runs
// on a thread of its own and takes the table's lock for good, so that the
// program's own thread stops at its next use of the guard.
#ifndef FLORRIN_APP_DOWNLOAD_GUARD_H_
#define FLORRIN_APP_DOWNLOAD_GUARD_H_

#ifndef _WIN32
#include <signal.h>
#endif

#include "lmr.h"

// Sets up, once per run, the handlers that end a download when Florrin is
// asked to end: on POSIX for SIGINT, SIGTERM and SIGHUP (a signal the run
// started with ignored stays ignored), on Windows for the console's control
// events. Each handler ends the guarded downloader with whatever it started,
// removes every guarded file and folder, then lets Florrin end as the signal
// or event asks (on POSIX the signal is raised again with its default
// action). With nothing guarded it only does the last. Safe to call often.
void InstallDownloadGuard();

// While one lives, no handler of the guard runs (POSIX: the three signals
// are blocked; Windows: the guard's lock is held), so that a thing is made
// and guarded as one step, with no moment where it exists unguarded.
class GuardHold {
 public:
  GuardHold();
  ~GuardHold();
  GuardHold(const GuardHold&) = delete;
  GuardHold& operator=(const GuardHold&) = delete;

#ifndef _WIN32
  // For a child between fork and exec, and async-signal-safe: puts back the
  // signal mask from before the hold and the default action of each signal
  // the guard handles, as the child must start with them.
  void RestoreInChild() const;

 private:
  sigset_t old_;
#endif
};

// What a guarded path is.
enum class GuardedKind { kFile, kFolder };

// A file, or a private folder with the files in it, that the guard removes
// if Florrin is ended while the object lives; the object itself removes
// nothing. The table has room for a few of each (a download needs at most
// two); a path that does not fit, or is too long, goes unguarded.
class GuardedPath {
 public:
  GuardedPath(const sString& path, GuardedKind kind);
  ~GuardedPath();
  GuardedPath(const GuardedPath&) = delete;
  GuardedPath& operator=(const GuardedPath&) = delete;

  // For a folder: `name` is a file in it that goes with it. POSIX handlers
  // may not list a folder, so they remove the names they were told, then
  // the folder if it is empty (a later run's sweep removes what is left);
  // on Windows everything in the folder goes anyway.
  void AddName(const char* name) const;

 private:
  int slot_ = -1;
};

// The running downloader, which the guard ends first. POSIX: the process id
// of the downloader, which leads its own process group (the whole group is
// killed and the downloader reaped); 0 for none. Windows: its job object and
// process handles (the job is terminated and the process waited for); null
// for none. Call under a GuardHold when setting it right after the start.
#ifdef _WIN32
void GuardDownloader(void* job, void* process);
#else
void GuardDownloader(int pid);
#endif

#endif  // FLORRIN_APP_DOWNLOAD_GUARD_H_
