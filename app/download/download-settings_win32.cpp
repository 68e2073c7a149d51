// Where wget for Windows looks for its settings.
#include <cstdlib>

#include "download-parts.h"
#include "file-name.h"

namespace {

const char* NonEmptyVariable(const char* name) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? value : nullptr;
}

}  // namespace

std::vector<sString> WgetStartupFiles(const sString& wgetProgram) {
  std::vector<sString> files;
  // Windows builds have no system file of their own; the variable still
  // names one.
  if (const char* system = NonEmptyVariable("SYSTEM_WGETRC")) {
    files.push_back(system);
  }
  if (const char* user = NonEmptyVariable("WGETRC")) {
    files.push_back(user);
    return files;
  }
  // Without HOME, wget takes its own folder for the home folder.
  const size_t slash = wgetProgram.find_last_of("\\/");
  const sString wgetFolder =
      slash == sString::npos ? sString() : wgetProgram.substr(0, slash + 1);
  const char* home = NonEmptyVariable("HOME");
  const sString dotWgetrc =
      home != nullptr ? sString(home) + "\\.wgetrc" : wgetFolder + ".wgetrc";
  files.push_back(NameExists(dotWgetrc) ? dotWgetrc : wgetFolder + "wget.ini");
  return files;
}
