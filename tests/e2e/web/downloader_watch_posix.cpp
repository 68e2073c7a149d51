#include "downloader_watch.h"

#include <cstdlib>
#include <filesystem>

#include "support/file_util.h"

namespace {

// The path of `name` in the first folder of the PATH that has it.
std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string rest = path == nullptr ? "" : path;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string dir = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (!dir.empty() && FileExists(dir + "/" + name)) return dir + "/" + name;
  }
  return "";
}

}  // namespace

bool WatchDownloader(const std::string& binDir, const std::string& argsLog,
                     const std::string& envLog, const std::string& tmpDir,
                     std::vector<std::string>* env, std::string* why) {
  // Both downloaders, whichever the run picks.
  int wrapped = 0;
  for (const std::string name : {"wget", "curl"}) {
    const std::string program = FindOnPath(name);
    if (program.empty()) continue;
    const std::string wrapper = binDir + "/" + name;
    WriteFile(wrapper, "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + argsLog +
                           "'\necho >> '" + argsLog + "'\n/usr/bin/env >> '" +
                           envLog + "'\necho >> '" + envLog + "'\nexec '" +
                           program + "' \"$@\"\n");
    std::filesystem::permissions(wrapper, std::filesystem::perms::owner_all);
    ++wrapped;
  }
  if (wrapped == 0) {
    *why = "neither wget nor curl on the PATH";
    return false;
  }
  env->push_back("PATH=" + binDir + ":" + std::getenv("PATH"));
  env->push_back("TMPDIR=" + tmpDir);
  return true;
}
