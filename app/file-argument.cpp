#include "file-argument.h"

#include <system_error>

#ifdef _WIN32
#include <io.h>
#else
#include <unistd.h>
#endif

#include "service-text.h"

namespace fs = std::filesystem;

fs::path ArgumentPath(const sString& sArg) {
#ifdef _WIN32
  // ServiceWords gives the wide argument's text in UTF-8.
  return fs::u8path(ServiceWords(sArg));
#else
  return fs::path(sArg);
#endif
}

FILE* OpenPath(const fs::path& path, const char* mode) {
#ifdef _WIN32
  std::wstring wmode(mode, mode + std::char_traits<char>::length(mode));
  return _wfopen(path.c_str(), wmode.c_str());
#else
  return std::fopen(path.c_str(), mode);
#endif
}

bool SyncFile(FILE* f) {
  if (std::fflush(f) != 0) return false;
#ifdef _WIN32
  return _commit(_fileno(f)) == 0;
#else
  return fsync(fileno(f)) == 0;
#endif
}

bool SameFile(const fs::path& a, const fs::path& b) {
  // The standard library compares device and inode (POSIX), or volume
  // serial and file index (Windows).
  std::error_code ec;
  return fs::equivalent(a, b, ec) && !ec;
}

bool IsWorkingFile(const fs::path& path) {
  static const char* const kNames[] = {"db",          "tmpfl",
                                       "tempout",     "db.lock",
                                       "tmdb-answer.json", "imbd-movie.htm",
                                       "imbd-search.htm"};
  const fs::path name = path.filename();
  fs::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  std::error_code ec;
  if (!SameFile(folder, ".") &&
      fs::weakly_canonical(folder, ec) != fs::current_path(ec))
    return false;
  for (const char* sName : kNames) {
    if (name == fs::path(sName)) return true;
  }
  return false;
}
