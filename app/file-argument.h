// Files named on the command line by the user (the CSV of --export and
// --import), as opposed to Florrin's own fixed names.
#ifndef FLORRIN_APP_FILE_ARGUMENT_H_
#define FLORRIN_APP_FILE_ARGUMENT_H_

#include <cstdio>
#include <filesystem>

#include "lmr.h"

// The file that the command-line argument `sArg` names. On Windows it is
// taken from the wide command line, so a name with characters the ANSI code
// page lacks still names its file.
std::filesystem::path ArgumentPath(const sString& sArg);

// Opens `path` as bytes with the fopen `mode` ("rb", "wb", "wbx"); null on
// failure.
FILE* OpenPath(const std::filesystem::path& path, const char* mode);

// Flushes `f` and waits until its data is on the disk.
bool SyncFile(FILE* f);

// True when `a` and `b` name the same existing file (the same device and
// file number, or volume serial and file index on Windows), whatever names
// and links lead there.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// True when `path` names one of the files a catalogue command keeps beside
// the catalogue in the current folder (the scratch files, the lock, the
// working files of the imports), which no user file may take the place of.
bool IsWorkingFile(const std::filesystem::path& path);

#endif  // FLORRIN_APP_FILE_ARGUMENT_H_
