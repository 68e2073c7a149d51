#include "service-config.h"

#include <cstdlib>

#include "whole-file.h"

namespace {

// A configuration file larger than this is no settings file; it is not read.
const long kMaxConfigBytes = 64 * 1024;

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r'; }

sString Trim(const sString& sText) {
  size_t b = 0, e = sText.size();
  while (b < e && IsBlank(sText[b])) ++b;
  while (e > b && IsBlank(sText[e - 1])) --e;
  return sText.substr(b, e - b);
}

// The value of `sName` in the file's text: the last line that sets it.
sString FileValue(const sString& sText, const char* sName) {
  sString sValue;
  size_t start = 0;
  while (start < sText.size()) {
    size_t end = sText.find('\n', start);
    if (end == sString::npos) end = sText.size();
    const sString sLine = Trim(sText.substr(start, end - start));
    start = end + 1;
    if (sLine.empty() || sLine[0] == '#') continue;
    const size_t eq = sLine.find('=');
    if (eq == sString::npos) continue;
    if (Trim(sLine.substr(0, eq)) == sName) sValue = Trim(sLine.substr(eq + 1));
  }
  return sValue;
}

sString EnvValue(const EnvironmentReader& env, const char* sName) {
  const char* value = env(sName);
  return value == nullptr ? sString() : Trim(value);
}

sString ReadSmallFile(const sString& sPath) {
  sString sText;
  ReadWholeFile(sPath, kMaxConfigBytes, TooLarge::kNothing, &sText);
  return sText;
}

}  // namespace

EnvironmentReader ProcessEnvironment() {
  return [](const char* sName) -> const char* { return std::getenv(sName); };
}

ServiceSettings SettingsFrom(const EnvironmentReader& env,
                             const sString& sConfigText) {
  ServiceSettings s;
  s.sToken = EnvValue(env, "FLORRIN_TMDB_TOKEN");
  s.sKey = EnvValue(env, "FLORRIN_TMDB_KEY");
  if (s.sToken.empty() && s.sKey.empty()) {
    s.sToken = FileValue(sConfigText, "tmdb-token");
    s.sKey = FileValue(sConfigText, "tmdb-key");
  }
  if (!s.sToken.empty()) s.sKey.clear();

  sString sLanguage = EnvValue(env, "FLORRIN_LANGUAGE");
  if (sLanguage.empty()) sLanguage = FileValue(sConfigText, "language");
  if (!sLanguage.empty()) s.sLanguage = sLanguage;

  const sString sApi = EnvValue(env, "FLORRIN_TMDB_API");
  if (!sApi.empty()) s.sApiBase = sApi;
  while (!s.sApiBase.empty() && s.sApiBase.back() == '/') s.sApiBase.pop_back();
  const sString sImages = EnvValue(env, "FLORRIN_TMDB_IMAGES");
  if (!sImages.empty()) s.sImageBase = sImages;
  if (s.sImageBase.back() != '/') s.sImageBase += '/';
  return s;
}

sString ConfigFilePath(const EnvironmentReader& env) {
#ifdef _WIN32
  // The user's roaming application data.
  const char* appdata = env("APPDATA");
  if (appdata == nullptr || appdata[0] == '\0') return sString();
  return sString(appdata) + "\\Florrin\\florrin.conf";
#else
  // The XDG base directory rules: a relative XDG_CONFIG_HOME is invalid by
  // them and is ignored.
  const char* xdg = env("XDG_CONFIG_HOME");
  if (xdg != nullptr && xdg[0] == '/') return sString(xdg) + "/florrin/florrin.conf";
  const char* home = env("HOME");
  if (home == nullptr || home[0] == '\0') return sString();
  return sString(home) + "/.config/florrin/florrin.conf";
#endif
}

ServiceSettings LoadServiceSettings(const EnvironmentReader& env) {
  return SettingsFrom(env, ReadSmallFile(ConfigFilePath(env)));
}
