// Starts the outside downloader `wget` and waits for it, within a time limit.
#ifndef FLORRIN_APP_DOWNLOADER_H_
#define FLORRIN_APP_DOWNLOADER_H_

#include <vector>

#include "lmr.h"

// Runs the program `wget` with the words of `args` as its arguments (the
// program's own name not among them) and waits until it has ended, at most
// `iTimeoutSeconds` seconds (1 or more). The program is found on the PATH and
// started directly: no command interpreter sees the words, so no character
// in them has any special meaning.
//
// The downloader inherits Florrin's environment (so a user's proxy settings
// apply), except that LC_ALL is set to "C" and LANGUAGE is removed: its log
// must be in plain untranslated words with "'" quotes, the only form that is
// judged. Its standard input, output and error are the null device, so
// nothing of it reaches Florrin's own output.
//
// A downloader still running when the limit passes is ended (with whatever
// it started, where the platform allows) and waited for, so that no file of
// the download is still being written when this returns.
//
// True only when the downloader was started, ended by itself within the
// limit, and exited with status 0. Whether it saved the document is for the
// caller to read in its log.
bool RunDownloader(const std::vector<sString>& args, int iTimeoutSeconds);

#endif  // FLORRIN_APP_DOWNLOADER_H_
