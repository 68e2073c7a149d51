// A test fixture for the web lookup's file readers: each case runs in a fresh
// temporary folder that is also the current directory, where the code under
// test finds its fixed working file names.
#ifndef FLORRIN_TESTS_APP_WEB_FILE_TEST_H_
#define FLORRIN_TESTS_APP_WEB_FILE_TEST_H_

#include <gtest/gtest.h>

#include <string>

#include "support/file_util.h"
#include "support/temp_dir.h"

class WebFileTest : public ::testing::Test {
 protected:
  // Writes `bytes` exactly into `name` in the test's folder.
  void Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir_.File(name), bytes);
  }
  bool Exists(const std::string& name) { return FileExists(dir_.File(name)); }

  TempDir dir_;
  ScopedCwd cwd_{dir_.path()};
};

#endif  // FLORRIN_TESTS_APP_WEB_FILE_TEST_H_
