// A fresh, empty folder for one test, removed with everything in it when the
// object goes away.
#ifndef FLORRIN_TESTS_SUPPORT_TEMP_DIR_H_
#define FLORRIN_TESTS_SUPPORT_TEMP_DIR_H_

#include <string>

class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  // Absolute path of the folder.
  const std::string& path() const { return path_; }

  // Absolute path of `name` inside the folder.
  std::string File(const std::string& name) const;

 private:
  std::string path_;
};

// Changes the process's current directory for the object's lifetime, for unit
// tests of code that works on fixed file names in the current directory.
class ScopedCwd {
 public:
  explicit ScopedCwd(const std::string& dir);
  ~ScopedCwd();
  ScopedCwd(const ScopedCwd&) = delete;
  ScopedCwd& operator=(const ScopedCwd&) = delete;

 private:
  std::string old_;
};

#endif  // FLORRIN_TESTS_SUPPORT_TEMP_DIR_H_
