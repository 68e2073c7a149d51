// A private temporary folder for one download's secret-bearing files: the
// downloader's settings, the address, its log and a service's answer.
#ifndef FLORRIN_APP_DOWNLOAD_FOLDER_H_
#define FLORRIN_APP_DOWNLOAD_FOLDER_H_

#include <memory>

#include "download-guard.h"
#include "lmr.h"

// A new folder in the system's temporary folder that only the user can
// open (mode 0700 on POSIX; on Windows one whose access list names the user
// alone), removed with everything in it when the object goes. Its name,
// "florrin-PID-..." notes the process id of the run that made it, so that a
// later run can tell a folder whose owner was killed before it could remove
// it (SweepStaleDownloadFolders). While the object lives the folder is
// guarded (download-guard.h): if Florrin is ended, the folder goes too.
class DownloadFolder {
 public:
  // Makes the folder (sweeping stale ones first, once per run); ok() says
  // whether that worked.
  DownloadFolder();
  // Removes every file in the folder, then the folder.
  ~DownloadFolder();
  DownloadFolder(const DownloadFolder&) = delete;
  DownloadFolder& operator=(const DownloadFolder&) = delete;

  // True when the folder exists.
  bool ok() const { return !sPath_.empty(); }

  // The whole path of the file `name` in the folder; a file of that name
  // goes with the folder if Florrin is ended.
  sString File(const char* name) const;

  // Creates the file `name` in the folder, readable and writable by the user
  // alone, holding exactly `bytes`. False when it cannot be created whole
  // (or exists already).
  bool Write(const char* name, const sString& bytes) const;

 private:
  sString sPath_;
  std::unique_ptr<GuardedPath> guard_;
};

// Removes the folders in the system's temporary folder that a download of
// this user left when its run was ended before it could remove them (killed
// outright, or the power gone): each "florrin-PID-..." folder of the user's
// whose process PID no longer runs, with everything in it. Folders of other
// users, of runs still going, and of any other name are left alone.
void SweepStaleDownloadFolders();

#endif  // FLORRIN_APP_DOWNLOAD_FOLDER_H_
