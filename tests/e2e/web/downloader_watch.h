// Watching the downloader of an end-to-end run: the argument lists it is
// given, and the temporary folder its private files go to. The platform
// parts live in downloader_watch_<platform>.cpp.
#ifndef FLORRIN_TESTS_E2E_WEB_DOWNLOADER_WATCH_H_
#define FLORRIN_TESTS_E2E_WEB_DOWNLOADER_WATCH_H_

#include <string>
#include <vector>

// Adds to `*env` what makes a run's downloader append each argument list it
// is given to `argsLog` and its whole environment to `envLog` (on POSIX
// wrappers of wget and curl written into `binDir` and put first on the
// PATH; on Windows the stand-ins' own FLORRIN_WGET_ARGS and
// FLORRIN_STAND_IN_ENV), and its temporary files go into `tmpDir`. False,
// with the reason in `*why`, when that cannot be arranged.
bool WatchDownloader(const std::string& binDir, const std::string& argsLog,
                     const std::string& envLog, const std::string& tmpDir,
                     std::vector<std::string>* env, std::string* why);

#endif  // FLORRIN_TESTS_E2E_WEB_DOWNLOADER_WATCH_H_
