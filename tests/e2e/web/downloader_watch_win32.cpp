#include "downloader_watch.h"

bool WatchDownloader(const std::string&, const std::string& argsLog,
                     const std::string& tmpDir, std::vector<std::string>* env,
                     std::string*) {
  // The stand-in wget.exe notes its arguments itself; private folders are
  // made where GetTempPath points.
  env->push_back("FLORRIN_WGET_ARGS=" + argsLog);
  env->push_back("TMP=" + tmpDir);
  env->push_back("TEMP=" + tmpDir);
  return true;
}
