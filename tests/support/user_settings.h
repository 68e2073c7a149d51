// The environment entries (as RunProgram takes them) that keep a developer's
// own settings out of a test run of florrin: no configuration folder, no
// movie-service credential, language or addresses, no failure log, and
// `home` as the home folder.
#ifndef FLORRIN_TESTS_SUPPORT_USER_SETTINGS_H_
#define FLORRIN_TESTS_SUPPORT_USER_SETTINGS_H_

#include <string>
#include <vector>

inline std::vector<std::string> WithoutUserSettings(const std::string& home) {
  return {"HOME=" + home,        "XDG_CONFIG_HOME",    "APPDATA",
          "FLORRIN_TMDB_TOKEN",  "FLORRIN_TMDB_KEY",   "FLORRIN_TMDB_API",
          "FLORRIN_TMDB_IMAGES", "FLORRIN_LANGUAGE",   "FLORRIN_LOG"};
}

#endif  // FLORRIN_TESTS_SUPPORT_USER_SETTINGS_H_
