// Whole-file helpers for tests that compare bytes.
#ifndef FLORRIN_TESTS_SUPPORT_FILE_UTIL_H_
#define FLORRIN_TESTS_SUPPORT_FILE_UTIL_H_

#include <string>

// Writes `bytes` to `path` exactly (binary), replacing what it held.
void WriteFile(const std::string& path, const std::string& bytes);

// The bytes of `path`, or "<missing>" when it cannot be read.
std::string ReadFile(const std::string& path);

// True when `path` exists.
bool FileExists(const std::string& path);

// `path` with "\" for every "/": Windows reads "/" in paths, but its program
// search is surer with "\".
std::string WindowsPath(std::string path);

#endif  // FLORRIN_TESTS_SUPPORT_FILE_UTIL_H_
