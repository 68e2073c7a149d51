// A private temporary folder for one download's secret-bearing files: the
// downloader's settings, the address and its log.
#ifndef FLORRIN_APP_DOWNLOAD_FOLDER_H_
#define FLORRIN_APP_DOWNLOAD_FOLDER_H_

#include "lmr.h"

// A new folder in the system's temporary folder that only the user can
// open (mode 0700 on POSIX; on Windows one whose access list names the user
// alone), removed with everything in it when the object goes.
class DownloadFolder {
 public:
  // Makes the folder; ok() says whether that worked.
  DownloadFolder();
  // Removes every file in the folder, then the folder.
  ~DownloadFolder();
  DownloadFolder(const DownloadFolder&) = delete;
  DownloadFolder& operator=(const DownloadFolder&) = delete;

  // True when the folder exists.
  bool ok() const { return !sPath_.empty(); }

  // The whole path of the file `name` in the folder.
  sString File(const char* name) const;

  // Creates the file `name` in the folder, readable and writable by the user
  // alone, holding exactly `bytes`. False when it cannot be created whole
  // (or exists already).
  bool Write(const char* name, const sString& bytes) const;

 private:
  sString sPath_;
};

#endif  // FLORRIN_APP_DOWNLOAD_FOLDER_H_
