// Where florrin.conf lives on POSIX systems (the XDG base directory rules).
#include "service-config.h"

sString ConfigFilePath(const EnvironmentReader& env) {
  const char* xdg = env("XDG_CONFIG_HOME");
  // A relative XDG_CONFIG_HOME is invalid by the rules and is ignored.
  if (xdg != nullptr && xdg[0] == '/') return sString(xdg) + "/florrin/florrin.conf";
  const char* home = env("HOME");
  if (home == nullptr || home[0] == '\0') return sString();
  return sString(home) + "/.config/florrin/florrin.conf";
}
