// The one place where the store's file calls can be made to fail, so that a
// test can check what every command leaves behind when any one of them does.
//
// The store asks FileCallFails before each call it makes on the catalogue
// and its scratch files, and fails that call as the system would when the
// answer is true. The program links file-faults.cpp, which always answers
// false; tests link a stand-in that fails the calls they choose
// (tests/smDB/failing_file_calls.h).
#ifndef FLORRIN_SMDB_FILE_FAULTS_H_
#define FLORRIN_SMDB_FILE_FAULTS_H_

#include <cstddef>

// The kinds of call: opening a file (for reading, appending or as a scratch
// file), reading a block, writing a block, flushing a stream's buffer,
// syncing a file to the disk, closing a file that was written, and moving a
// scratch file into place.
enum class FileCall { kOpen, kRead, kWrite, kFlush, kSync, kClose, kRename };

// True when the coming call of kind `call` must fail. For a write, `*pBytes`
// (when given) is the number of bytes about to be written; the answer may
// lower it, and only that many are then written, as by a disk that is about
// to fill up.
bool FileCallFails(FileCall call, size_t* pBytes = nullptr);

#endif  // FLORRIN_SMDB_FILE_FAULTS_H_
