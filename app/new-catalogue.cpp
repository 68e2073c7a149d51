// "--new": starts an empty catalogue in the current folder, the one way to
// make a catalogue without typing its header line by hand.
#include "commands.h"
#include "new-store.h"

void fNew() { Print(CreateStoreFile(DBfile) ? "!ok!" : "!error!"); }
