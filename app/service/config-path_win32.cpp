// Where florrin.conf lives on Windows: the user's roaming application data.
#include "service-config.h"

sString ConfigFilePath(const EnvironmentReader& env) {
  const char* appdata = env("APPDATA");
  if (appdata == nullptr || appdata[0] == '\0') return sString();
  return sString(appdata) + "\\Florrin\\florrin.conf";
}
