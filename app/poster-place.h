// Where an imported poster goes. A poster file belongs to the record whose
// pic names it: an import never takes such a file over, and a download that
// fails leaves every file as it was.
#ifndef FLORRIN_APP_POSTER_PLACE_H_
#define FLORRIN_APP_POSTER_PLACE_H_

#include <vector>

#include "lmr.h"

// The file name for the poster of a new record named `sRec`, given the pic
// values `taken` of the records the catalogue holds: PosterFileName(sRec),
// or, when a pic names that file, the first of "Base (2).jpg",
// "Base (3).jpg", ... that no pic names, where "Base.jpg" is
// PosterFileName(sRec). Names are compared ignoring the case of ASCII
// letters, as Windows and FAT folders compare them (catalogues move between
// systems). Empty when the record gets no poster.
sString FreePosterName(const sString& sRec, const std::vector<sString>& taken);

// A poster on its way into the current folder: downloaded under a
// temporary name of its own there, and moved to its name only once it is
// complete.
class PosterDownload {
 public:
  PosterDownload() = default;
  // Removes the temporary file unless it was moved into place.
  ~PosterDownload();
  PosterDownload(const PosterDownload&) = delete;
  PosterDownload& operator=(const PosterDownload&) = delete;

  // Picks the temporary name: "florrin-poster-N.part" with the smallest N
  // that no file (nor link) in the folder has. False when none is free.
  bool Begin();

  // The temporary name, for the download to write to.
  const sString& file() const { return sFile_; }

  // Moves the downloaded file to `sName`, replacing a file of that name in
  // one step. False when it cannot be moved; the temporary file is then
  // removed and `sName` left as it was.
  bool MoveTo(const sString& sName);

 private:
  sString sFile_;
};

#endif  // FLORRIN_APP_POSTER_PLACE_H_
