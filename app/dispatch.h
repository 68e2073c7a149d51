// The command table and the dispatcher that runs one command per process.
#ifndef FLORRIN_APP_DISPATCH_H_
#define FLORRIN_APP_DISPATCH_H_

#include <string_view>
#include <vector>

#include "lmr.h"

// Which commands run under the catalogue lock, and what they need. Readers
// take no lock: changes replace the catalogue atomically, so a reader sees
// the old file or the new one, whole. The catalogue is "db" as the system
// finds it after following links; its lock is "db.lock" in the folder of
// that file (see store-place.h).
enum class Locking {
  kNone,         // readers
  kCatalogue,    // changes the catalogue: runs only where it is a regular
                 // file, found before the lock is taken and again after
  kWorkFiles,    // writes working files beside the catalogue: locked where
                 // there is one, run unlocked where there is none
  kNoCatalogue,  // starts the catalogue: locked where there is none yet
};

// One row of the command table.
struct CommandRow {
  const char* sShort;  // e.g. "-l"
  const char* sLong;   // e.g. "--list"
  int iArgs;           // words after the command word
  Locking lock;
  // What the command prints when it may not run: its marker for a
  // catalogue that cannot be opened, printed when a kCatalogue command
  // finds no catalogue, or when a locked command cannot have the lock.
  const char* sRefused;
  // What the command prints when memory runs out: its failure marker.
  const char* sOutOfMemory;
  // Calls the handler with the iArgs words after the command word.
  void (*run)(const sString* pArgs);
};

// The row whose short or long word equals `sWord` exactly (case-sensitive,
// whole word) and whose argument count is `iArgs`, or null.
const CommandRow* FindCommand(const sString& sWord, int iArgs);

// Runs the command line `words` (the words after the program name): the
// usage summary for "--help" or "-h" alone, the name and version for
// "--version" alone, else the matching handler, under the catalogue lock as
// its row says (or only the row's refusal, where it may not run), or ShowHelp
// when no row matches (no words, an unknown word, or a word given with a
// count its row does not have). Then writes what was
// printed to standard output (FlushOutput), after the lock has been released.
// A command that runs out of memory (std::bad_alloc) prints its row's
// failure marker instead of anything it had printed; it has changed nothing,
// since every change is made whole or not at all.
void Dispatch(const std::vector<sString>& words);

// Answers a command line that could not even be taken into memory: the
// failure marker of the row that the command word `sWord` with `iArgs`
// arguments names, else what Dispatch answers such a line without running
// any command. Then flushes the output.
void RefuseForWantOfMemory(std::string_view sWord, int iArgs);

#endif  // FLORRIN_APP_DISPATCH_H_
