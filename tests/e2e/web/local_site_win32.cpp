#include "local_site.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "support/file_util.h"

LocalSite::~LocalSite() { Stop(); }

bool LocalSite::Start(const std::string& root, const std::string& log,
                      std::string* error, const std::string& headerLog) {
  (void)headerLog;  // the stand-in downloaders keep no header log yet
  root_ = root;
  log_ = log;
  std::error_code ec;
  if (!std::filesystem::exists(std::string(STAND_IN_WGET_DIR) + "/wget.exe",
                               ec)) {
    *error = "no stand-in wget.exe in " STAND_IN_WGET_DIR;
    return false;
  }
  if (!std::filesystem::exists(root + "/routes.txt", ec)) {
    *error = "no routes.txt in " + root;
    return false;
  }
  ClearRequests();
  return true;
}

// Nothing runs between downloads: each stand-in serves one and ends.
void LocalSite::Stop() {}

std::vector<std::string> LocalSite::DownloaderEnvironment() const {
  const char* path = std::getenv("PATH");
  const char* downloader = std::getenv("FLORRIN_TEST_DOWNLOADER");
  const bool bCurl = downloader != nullptr && std::string(downloader) == "curl";
  return {"PATH=" + WindowsPath(bCurl ? STAND_IN_CURL_DIR : STAND_IN_WGET_DIR) +
              ";" + (path ? path : ""),
          bCurl ? "FLORRIN_DOWNLOADER=curl" : "FLORRIN_DOWNLOADER",
          "FLORRIN_SITE_ROOT=" + root_, "FLORRIN_SITE_LOG=" + log_};
}

std::vector<std::string> LocalSite::Requests() const {
  std::vector<std::string> lines;
  std::ifstream in(log_);
  std::string line;
  while (std::getline(in, line)) lines.push_back(line);
  return lines;
}

void LocalSite::ClearRequests() const { std::ofstream(log_, std::ios::trunc); }
