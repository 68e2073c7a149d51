// The command handlers of Florrin. The dispatcher (dispatch.h) picks one by
// the argument count and the command word and calls it with the remaining
// arguments, in command-line order. Each handler prints its data and its
// result marker through the output path (output.h), with no line break, and
// returns; the dispatcher writes the output once the handler is done. Nothing
// is ever written to standard error.
#ifndef FLORRIN_APP_COMMANDS_H_
#define FLORRIN_APP_COMMANDS_H_

#include "lmr.h"
#include "output.h"

// The catalogue's file name, "db" in the current directory (defined with the
// catalogue commands).
extern const sString DBfile;

// Writes "!err in parameters!\n": the answer to a command line that matches
// no command.
void ShowHelp();

// Starts a catalogue: writes "db" holding only the store header line and
// prints "!ok!"; "!error!" where "db" exists (left as it is) or cannot be
// made.
void fNew();

// Listings: record names each followed by "|", in file order or sorted by
// unsigned byte comparison; "No DB file found. !error!" without a catalogue,
// "!error!" (and no names) when it exists but cannot be opened or read.
void fList();
void fListByName();

// Catalogue commands on single records.
void fDel(const sString& sP);                                   // "!ok!"
void fGet(const sString& sP1, const sString& sP2);              // the value
void fEdit(const sString& sP1, const sString& sP2, const sString& sP3);
void fAdd(const sString& sRec, const sString& sPlot, const sString& sTag,
          const sString& sRate, const sString& sYear, const sString& sDir,
          const sString& sTime, const sString& sComm, const sString& sPic,
          const sString& sAct, const sString& sGen, const sString& sType);
void fChangeRec(const sString& sRec, const sString& sPlot,
                const sString& sTag, const sString& sRate,
                const sString& sYear, const sString& sDir,
                const sString& sTime, const sString& sComm,
                const sString& sPic, const sString& sAct,
                const sString& sGen, const sString& sType);
void fPrintRec(const sString& sP1);
void fFilter(const sString& sP1, const sString& sP2);

// Web import: search the site for a title and add the first match
// ("--autoadd"), add a movie from a known title-page address ("--urladd"),
// print the site's matches for a title ("--printsearch").
void fAutoAdd(const sString& sP1);
void fUrlAdd(const sString& sP1, const sString& sP2);
void fPrintImdbSearch(const sString& sP1);

// Fills what record `sName` lacks (plot, tagline, rate, year, director,
// runtime, Act, Genre, a missing poster) from the movie service, which needs
// a credential: the movie at `sAddress` (an address "--urladd" takes for the
// service; the record's id lines become that movie's), or, when `sAddress`
// is empty, the movie of the record's "tmdb", else its "imdb" line. Never
// changes a value that is not empty, nor comments and Type. One rewrite
// when something changes. "!ok!" or "!error!" (record unchanged).
void fRefresh(const sString& sName, const sString& sAddress);

// Writes every record, in file order, to the CSV file `sFile` (UTF-8 with
// a byte-order mark, CR LF, a header row; see csv-columns.h), through a
// scratch file beside it that is then moved into place. Refuses the
// catalogue itself, its working files and anything not a regular file.
// "!ok!" or "!error!".
void fExport(const sString& sFile);

// Adds a record for each row of the CSV file `sFile`, found by header name
// (csv-columns.h), filled in by the movie service when a credential is set
// up. Prints each added name followed by "|", then "!ok!"; "!error!" alone
// when the file or the catalogue cannot be read or has no title column; the
// names added so far and "!error!" when it fails part-way. Why rows were
// left out goes to FLORRIN_LOG.
void fImport(const sString& sFile);

// Writes the catalogue as one HTML page to the file `sFile` (see
// html-page.h): a temporary file beside it, renamed into place. "!ok!", or
// "!error!" when there is no catalogue, it cannot be read, or `sFile` may
// not be written: its folder is missing or not writable, it is read-only,
// it is the catalogue itself (by identity) or one of its scratch files, or
// it exists and is not a regular file. The catalogue is only read.
void fHtml(const sString& sFile);

#endif  // FLORRIN_APP_COMMANDS_H_
