// sTxtDB: a generic store of named records kept in one text file.
//
// Store file format: the first line is "1.0.0-TALVERO_sTxtDB"; each record is
// appended as two line ends, "[" name "]", then a line end and key "=" value
// per field, with no line end after the last field. Written line ends are the
// system's ("\r\n" on Windows, "\n" elsewhere); either kind reads the same
// (see get-put-line.h). A record's header line is a line whose first byte is
// "[" and whose bracket name (text after that "[" up to the next "]"; the
// whole line when there is no such "]") is the record's name; a bracketed
// word inside a value heads nothing. The body runs to the next line whose
// first byte is "[". The object only remembers the file's name: every operation opens,
// scans and closes the file by name.
#ifndef FLORRIN_SMDB_STXTDB_H_
#define FLORRIN_SMDB_STXTDB_H_

#include "lmr.h"

class sTxtDB {
 public:
  // A new store is closed.
  sTxtDB();
  virtual ~sTxtDB();

  // Opens the store on an existing, readable file. False when the store is
  // already open (nothing changes) or the file cannot be read (store closed).
  bool open(const sString& sFile);

  // Forgets the file name; the store is closed.
  void close();

  // True while the store is open.
  bool isopen() const;

  // Writes a new store file holding only the store header line and opens the
  // store on it. False when the store is already open or the write failed.
  bool create(const sString& sFile);

  // The value of field `sField` of record `sRec`, exactly as stored after the
  // first "=", or "!not found!" when the store is closed, the record is absent
  // or its body has no such field.
  sString getRec(const sString& sRec, const sString& sField);

  // Replaces the existing field line `sField` of record `sRec` by
  // `sField` "=" `sValue`. Never adds a field. False when the store is closed,
  // `sRec` is no name a record can hold (empty, or holding "]"), an argument
  // holds "\n" (it would forge lines), the record or field is
  // absent, the caller may not change the file, or the rewrite could not be
  // put in place; the file is then unchanged.
  bool editRec(const sString& sRec, const sString& sField,
               const sString& sValue);

  // Appends a record with the single field "field". False when the store is
  // closed, `sRec` is empty or holds "]", an argument holds "\n", a line
  // already heads a record named `sRec` or the caller may not change the
  // file (file untouched in each case), or the write failed (file as it
  // was: an append is all or nothing).
  virtual bool addRec(const sString& sRec, const sString& sField1);

  // Removes record `sRec` (its header line and its body) through the scratch
  // file "tmpfl" beside the store file, which is flushed to disk and put in
  // place atomically, keeping the file's permissions and links as
  // file-identity.h says. False when the store is closed, `sRec` is no name a
  // record can hold, the caller may not change the file or the record is
  // absent (file untouched, no "tmpfl"
  // left), or the copy could not be put in place (file unchanged).
  bool delRec(const sString& sRec);

  // True for a name a record can be stored and found again under: not empty,
  // and without "]" (a bracket name ends at the first "]") or a line break.
  // addRec refuses any other name.
  static bool isName(const sString& sRec);

  // True when some line of the store file heads a record named `sRec` (so
  // addRec would refuse it); also true on a closed store and when the file
  // can no longer be read.
  bool isRec(const sString& sRec);

  // True when the store is open and its file may be changed: the check every
  // changing operation makes before it touches the file (see addRec). Lets a
  // caller refuse work that would end in a refused change before doing it.
  bool mayChange() const;

 protected:
  bool opened;
  sString DBfile;
};

#endif  // FLORRIN_SMDB_STXTDB_H_
