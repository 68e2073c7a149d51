// smDB: the movie catalogue, a record store whose records are movies.
//
// A movie record is named by its title and holds eleven fields, always written
// in this order: "plot", "tagline", "rate", "year", "director", "runtime",
// "comments", "pic", "Act", "Genre", "Type".
#ifndef FLORRIN_SMDB_SMDB_H_
#define FLORRIN_SMDB_SMDB_H_

#include "sTxtDB.h"

class smDB : public sTxtDB {
 public:
  smDB();
  ~smDB() override;

  using sTxtDB::addRec;

  // Prints (output.h) the record's eleven values, in field order,
  // each followed by "|"; a field the record lacks is printed empty, a
  // repeated key by its last value, "pic" without "\r". False (nothing
  // printed) when the store is closed or the title is absent.
  virtual bool printRec(const sString& sRec);

  // Appends a movie record. False when the store is closed, the title is
  // empty or holds "]", any of the twelve values holds "\n", a line already
  // heads a record named `sRec` or the caller may not change the file
  // (file untouched in each case), or the write failed (file as it was).
  virtual bool addRec(const sString& sRec, const sString& sPlot,
                      const sString& sTag, const sString& sRate,
                      const sString& sYear, const sString& sDir,
                      const sString& sTime, const sString& sComm,
                      const sString& sPic, const sString& sAct,
                      const sString& sGen, const sString& sType);

  // Replaces the whole body of record `sRec` by the eleven fields, the
  // record's own first "tmdb" and "imdb" lines as they were (tmdb first;
  // see movie-record.h) and one empty line, through the scratch file "tmpfl" beside the store file,
  // which is flushed to disk and put in place atomically, keeping the file's
  // permissions and links as file-identity.h says. False when the store is
  // closed, the title is empty or holds "]", a value holds "\n", the caller
  // may not change the file or the title is absent (file untouched, no
  // "tmpfl" left), or the copy could not be put in place (file unchanged).
  virtual bool changeRec(const sString& sRec, const sString& sPlot,
                         const sString& sTag, const sString& sRate,
                         const sString& sYear, const sString& sDir,
                         const sString& sTime, const sString& sComm,
                         const sString& sPic, const sString& sAct,
                         const sString& sGen, const sString& sType);

  // Prints the titles of the records whose field `sField` (exact key)
  // contains `sWanted`, ignoring ASCII letter case, each followed by "|", once
  // per matching line. A line whose first byte is "[" is a record header
  // line and names the record for the lines after it; lines before the first
  // one belong to no record. The names are printed only once the whole file
  // has been read: true whenever the store is open and its file readable,
  // false (nothing printed) when it cannot be opened or a read fails.
  bool printFilter(const sString& sField, const sString& sWanted);

 protected:
  // Upper-cases the ASCII letters of `*sTxt` in place; other bytes unchanged.
  void UCase(sString* sTxt);
};

#endif  // FLORRIN_SMDB_SMDB_H_
