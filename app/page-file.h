// The files of a page that Florrin writes for people (--html): the page's
// own file, named on the command line, and the posters it shows. What
// differs between systems is how a name becomes a path and back, and how a
// file is put in place; the platform parts live in page-file_<platform>.cpp.
#ifndef FLORRIN_APP_PAGE_FILE_H_
#define FLORRIN_APP_PAGE_FILE_H_

#include <filesystem>
#include <string>
#include <string_view>

#include "lmr.h"
#include "poster-address.h"

// How this system's paths are written, for PosterAddress.
extern const PathStyle kPagePathStyle;

// The path of the catalogue's file `sName` (stored bytes: the ANSI code page
// on Windows), relative to the current folder. False when the name cannot
// be a path here.
bool StoredNamePath(std::string_view sName, std::filesystem::path* pPath);

// `path`'s text as the page's addresses need it: its bytes on POSIX, UTF-8
// on Windows.
std::string AddressText(const std::filesystem::path& path);

// False when the existing file `path` may not be written: no write
// permission for the caller, or none at all (POSIX), or the read-only
// attribute (Windows). True for a file that does not exist.
bool MayWritePage(const std::filesystem::path& path);

// A page's new content, written to a temporary file beside the file it
// replaces and renamed over it in one step when done: readers see the old
// file or the new one, whole. The new file keeps an existing file's
// permissions. It is not flushed to the disk: a page can be written again.
class PageFile {
 public:
  PageFile() = default;
  // Removes the temporary file unless Commit put it in place.
  ~PageFile();
  PageFile(const PageFile&) = delete;
  PageFile& operator=(const PageFile&) = delete;

  // Creates the temporary file beside `target`, a path whose folder exists
  // and which is no link. False when it cannot be created.
  bool Open(const std::filesystem::path& target);

  // Appends `sBytes`. False when the write failed.
  bool Write(std::string_view sBytes);

  // Closes the temporary file and renames it over the target. False, with
  // the temporary file removed and the target as it was, when that fails.
  bool Commit();

 private:
  // Closes the temporary file; false when the close reported an error.
  bool Close();

  std::filesystem::path target_;
  std::filesystem::path temp_;
#ifdef _WIN32
  void* handle_ = nullptr;
#else
  int fd_ = -1;
#endif
  bool open_ = false;
};

#endif  // FLORRIN_APP_PAGE_FILE_H_
