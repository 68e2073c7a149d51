// Starts the outside downloader `wget` and waits for it.
#ifndef FLORRIN_APP_DOWNLOADER_H_
#define FLORRIN_APP_DOWNLOADER_H_

#include "lmr.h"

// Runs `wget URL -O FileName -o LogName` and waits until it has ended. The
// program is found on the PATH and started directly, with exactly those six
// words as its arguments: no command interpreter sees the address or the file
// name, so no character in them has any special meaning.
//
// The downloader inherits Florrin's environment (so a user's proxy settings
// apply), except that LC_ALL is set to "C" and LANGUAGE is removed: its log
// must be in plain untranslated words with "'" quotes, the only form that is
// judged. Its standard input, output and error are the null device, so
// nothing of it reaches Florrin's own output.
//
// True when the downloader was started and waited for; its exit status is
// not looked at. Whether the download succeeded is told by the log only.
bool RunDownloader(const sString& URL, const sString& FileName,
                   const sString& LogName);

#endif  // FLORRIN_APP_DOWNLOADER_H_
