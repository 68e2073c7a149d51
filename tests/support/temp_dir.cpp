#include "support/temp_dir.h"

#include <cstdlib>
#include <filesystem>
#include <system_error>

namespace fs = std::filesystem;

TempDir::TempDir() {
  fs::path base = fs::temp_directory_path();
  for (int attempt = 0;; ++attempt) {
    fs::path candidate =
        base / ("florrin-test-" + std::to_string(std::rand()) + "-" +
                std::to_string(attempt));
    std::error_code ec;
    if (fs::create_directory(candidate, ec)) {
      path_ = candidate.string();
      return;
    }
  }
}

TempDir::~TempDir() {
  std::error_code ec;
  fs::remove_all(path_, ec);
}

std::string TempDir::File(const std::string& name) const {
  return (fs::path(path_) / name).string();
}

ScopedCwd::ScopedCwd(const std::string& dir) {
  old_ = fs::current_path().string();
  fs::current_path(dir);
}

ScopedCwd::~ScopedCwd() {
  std::error_code ec;
  fs::current_path(old_, ec);
}
