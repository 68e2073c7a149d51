// Where wget looks for its settings on POSIX systems.
#include <cstdlib>

#include "download-parts.h"

namespace {

const char* NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::vector<sString> WgetStartupFiles(const sString& /*wgetProgram*/) {
  const char* system = NonEmptyVariable("SYSTEM_WGETRC");
  std::vector<sString> files = {system != nullptr ? system : "/etc/wgetrc"};
  if (const char* user = NonEmptyVariable("WGETRC")) {
    files.push_back(user);
  } else if (const char* home = NonEmptyVariable("HOME")) {
    files.push_back(sString(home) + "/.wgetrc");
  }
  return files;
}
