// The movie service's settings: the user's credential, the language of the
// answers and the service's addresses, from the environment and the
// configuration file florrin.conf.
//
// The file holds "name = value" lines (tmdb-token, tmdb-key, language) and
// "#" comment lines. The environment (FLORRIN_TMDB_TOKEN, FLORRIN_TMDB_KEY,
// FLORRIN_LANGUAGE) wins over the file: when it gives a credential, the
// file's credentials are not used. An empty value counts as unset. A token
// wins over a key given in the same place.
#ifndef FLORRIN_APP_SERVICE_CONFIG_H_
#define FLORRIN_APP_SERVICE_CONFIG_H_

#include <functional>

#include "lmr.h"

struct ServiceSettings {
  // An API read access token, sent as "Authorization: Bearer ...".
  sString sToken;
  // An API key, sent as "api_key=..." (used only without a token).
  sString sKey;
  // Goes with every API request as "language=...".
  sString sLanguage = "en-US";
  // The API base without a trailing "/" (FLORRIN_TMDB_API replaces it).
  sString sApiBase = "https://api.themoviedb.org/3";
  // The image base, ending in "/" (FLORRIN_TMDB_IMAGES replaces it).
  sString sImageBase = "https://image.tmdb.org/t/p/";

  // True when imports use the service.
  bool HasCredential() const { return !sToken.empty() || !sKey.empty(); }
};

// Reads one environment variable: its value, or null when it is not set.
using EnvironmentReader = std::function<const char*(const char* name)>;

// The process's own environment.
EnvironmentReader ProcessEnvironment();

// Where the configuration file is: on POSIX systems
// $XDG_CONFIG_HOME/florrin/florrin.conf (an absolute XDG_CONFIG_HOME only),
// else $HOME/.config/florrin/florrin.conf; on Windows
// %APPDATA%\Florrin\florrin.conf. Empty when the variables give no place.
sString ConfigFilePath(const EnvironmentReader& env);

// The settings from the environment `env` and the configuration file's text
// `sConfigText` (empty when there is no file).
ServiceSettings SettingsFrom(const EnvironmentReader& env,
                             const sString& sConfigText);

// The settings from `env` and the file at ConfigFilePath(env), if any.
ServiceSettings LoadServiceSettings(const EnvironmentReader& env);

#endif  // FLORRIN_APP_SERVICE_CONFIG_H_
