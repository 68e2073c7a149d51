// Finds the outside downloader (wget or curl), starts it and waits for it,
// within a time limit.
#ifndef FLORRIN_APP_DOWNLOADER_H_
#define FLORRIN_APP_DOWNLOADER_H_

#include <cstdint>
#include <vector>

#include "lmr.h"

// The outside programs Florrin downloads with.
enum class DownloaderKind { kWget, kCurl };

// The downloader to use and how to start it.
struct DownloaderChoice {
  DownloaderKind kind = DownloaderKind::kWget;
  // What RunDownloader starts: on POSIX the program's name, looked up on the
  // PATH when it starts (in folders named by a whole path only: never the
  // current folder); on Windows its whole path, found beforehand. Empty when
  // no such program was found.
  sString sProgram;
};

// The downloader for this system and the environment variable
// FLORRIN_DOWNLOADER (`forced`, null when not set): "wget" or "curl" forces
// that one; anything else counts as not set. On POSIX the default is wget. On
// Windows it is wget.exe from Florrin's own folder, then from the PATH, and
// otherwise curl.exe from the system folder, then Florrin's own folder, then
// the PATH. A forced program is looked up the same way (in its own places
// only); the current folder is never searched.
DownloaderChoice ChooseDownloader(const char* forced);

// The program's name for the user's log: "wget" or "curl".
const char* DownloaderName(DownloaderKind kind);

// What bounds one run of the downloader.
struct DownloaderLimits {
  // The whole run's time limit in seconds (1 or more).
  int iTimeoutSeconds = 60;
  // The document's file, watched while the downloader runs; empty: none.
  sString sFile;
  // The most bytes `sFile` may hold: a file that grows past it ends the
  // downloader. On POSIX the downloader also runs under a file-size limit
  // of one byte more, so the file never holds more than that.
  int64_t iMaxBytes = INT64_MAX;
};

// What came of one run of the downloader.
struct DownloaderRun {
  // False when the program could not be started (not found, or no process).
  bool bStarted = false;
  // True when the time limit passed and it was ended.
  bool bTimedOut = false;
  // True when the document's file grew past its size limit (the downloader
  // was ended then, or failed to write any more).
  bool bTooLarge = false;
  // Its exit status when it ended by itself; -1 otherwise (not started,
  // ended at the limit, or killed by a signal).
  int iExitStatus = -1;
};

// Runs `choice.sProgram` with the words of `args` as its arguments (the
// program's own name not among them) and waits until it has ended, at most
// `limits.iTimeoutSeconds` seconds, or until `limits.sFile` holds more than
// `limits.iMaxBytes` bytes. No command interpreter sees the words, so no
// character in them has any special meaning.
//
// The downloader inherits Florrin's environment (so a user's proxy settings
// apply), except that LC_ALL is set to "C", LANGUAGE is removed, and so is
// every FLORRIN_TMDB_* variable, which may hold the movie service's secret:
// wget's log must be in plain untranslated words with "'" quotes, the only
// form that is judged, and the downloader needs no secret but those of its
// request. Its standard input, output and error are the null device, so
// nothing of it reaches Florrin's own output, and on Windows it gets no
// console window.
//
// A downloader still running when a limit is reached is ended with whatever
// it started (its process group on POSIX, its job object on Windows) and
// waited for, so that no file of the download is still being written when
// this returns. It also ends if Florrin does: the download guard ends it
// when Florrin is asked to end (download-guard.h), and where the system
// offers it, it dies with Florrin however Florrin ends (on Linux by the
// parent-death signal; on Windows its job ends when Florrin's last handle
// to it closes).
DownloaderRun RunDownloader(const DownloaderChoice& choice,
                            const std::vector<sString>& args,
                            const DownloaderLimits& limits);

#endif  // FLORRIN_APP_DOWNLOADER_H_
