#include "poster-place.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>
#include <unordered_set>

#ifdef _WIN32
#include <windows.h>
#endif

#include "poster-name.h"

namespace {

// The most temporary names tried; each is in use only while an import
// runs, under the catalogue lock.
constexpr int kMaxTemporaryNames = 100;

sString AsciiLower(const sString& s) {
  sString sLower = s;
  for (char& c : sLower) {
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  }
  return sLower;
}

// Moves `sFrom` over `sTo`, replacing a file of that name in one step.
bool Replace(const sString& sFrom, const sString& sTo) {
#ifdef _WIN32
  // rename() refuses a name that exists on Windows.
  return MoveFileExA(sFrom.c_str(), sTo.c_str(), MOVEFILE_REPLACE_EXISTING) != 0;
#else
  return std::rename(sFrom.c_str(), sTo.c_str()) == 0;
#endif
}

}  // namespace

sString FreePosterName(const sString& sRec, const std::vector<sString>& taken) {
  const sString sFile = PosterFileName(sRec);
  if (sFile.empty()) return sFile;
  std::unordered_set<std::string> names;
  for (const sString& sPic : taken) names.insert(AsciiLower(sPic));
  if (names.count(AsciiLower(sFile)) == 0) return sFile;
  const sString sBase = sFile.substr(0, sFile.size() - 4);  // less ".jpg"
  // Fewer pics than numbers tried: one of them is free.
  for (size_t n = 2;; ++n) {
    const sString sName = sBase + " (" + std::to_string(n) + ").jpg";
    if (names.count(AsciiLower(sName)) == 0) return sName;
  }
}

PosterDownload::~PosterDownload() {
  if (!sFile_.empty()) std::remove(sFile_.c_str());
}

bool PosterDownload::Begin() {
  for (int n = 1; n <= kMaxTemporaryNames; ++n) {
    const sString sName = "florrin-poster-" + std::to_string(n) + ".part";
    std::error_code ec;
    const auto status = std::filesystem::symlink_status(sName, ec);
    if (status.type() == std::filesystem::file_type::not_found) {
      sFile_ = sName;
      return true;
    }
  }
  return false;
}

bool PosterDownload::MoveTo(const sString& sName) {
  if (sFile_.empty()) return false;
  const bool bMoved = Replace(sFile_, sName);
  if (!bMoved) std::remove(sFile_.c_str());
  sFile_.clear();
  return bMoved;
}
