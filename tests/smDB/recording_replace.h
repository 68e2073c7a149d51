// A stand-in for the store's file replacement (file-replace.h) that does the
// work as the real one does, minus the disk sync, and records each call, so
// that a test can see every rewrite flushed whole before it is moved.
#ifndef FLORRIN_TESTS_SMDB_RECORDING_REPLACE_H_
#define FLORRIN_TESTS_SMDB_RECORDING_REPLACE_H_

#include <string>
#include <vector>

struct ReplaceCall {
  // "flush": the stream's bytes written so far; "move": the moved file's
  // size, and `name` is the target.
  std::string what;
  long bytes;
  std::string name;
};

// The calls since the last clear, in order.
std::vector<ReplaceCall>& ReplaceCalls();

#endif  // FLORRIN_TESTS_SMDB_RECORDING_REPLACE_H_
