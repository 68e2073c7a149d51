#include "downloader_watch.h"

bool WatchDownloader(const std::string&, const std::string& argsLog,
                     const std::string& envLog, const std::string& tmpDir,
                     std::vector<std::string>* env, std::string*) {
  // The stand-ins note their arguments and environment themselves; private
  // folders are made where GetTempPath points.
  env->push_back("FLORRIN_WGET_ARGS=" + argsLog);
  env->push_back("FLORRIN_CURL_ARGS=" + argsLog);
  env->push_back("FLORRIN_STAND_IN_ENV=" + envLog);
  env->push_back("TMP=" + tmpDir);
  env->push_back("TEMP=" + tmpDir);
  return true;
}
