// A fixture that runs florrin in a fresh folder, as a calling program would.
#ifndef FLORRIN_TESTS_E2E_CATALOGUE_FLORRIN_FIXTURE_H_
#define FLORRIN_TESTS_E2E_CATALOGUE_FLORRIN_FIXTURE_H_

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/eol.h"
#include "support/file_util.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/user_settings.h"

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";

// "--add"/"--change" arguments: the title, then the eleven values p1..p11.
inline std::vector<std::string> Movie(const std::string& word,
                                      const std::string& title,
                                      const std::string& p) {
  std::vector<std::string> args{word, title};
  for (int i = 1; i <= 11; ++i) args.push_back(p + std::to_string(i));
  return args;
}

// The eleven field lines of Movie(..., p), "\n"-joined.
inline std::string MovieBody(const std::string& p) {
  const char* keys[] = {"plot",    "tagline",  "rate", "year",
                        "director", "runtime", "comments", "pic",
                        "Act",     "Genre",    "Type"};
  std::string out;
  for (int i = 0; i < 11; ++i) {
    if (i > 0) out += "\n";
    out += std::string(keys[i]) + "=" + p + std::to_string(i + 1);
  }
  return out;
}

class FlorrinTest : public ::testing::Test {
 protected:
  // Runs florrin with `args` in the test's folder and returns its standard
  // output, checking that every run is silent on standard error and exits 0.
  std::string Run(const std::vector<std::string>& args) {
    RunResult r = RunProgram(FLORRIN_EXE, args, dir_.path(),
                             WithoutUserSettings(home_.path()));
    EXPECT_EQ("", r.err);
    EXPECT_EQ(0, r.exit_code);
    return r.out;
  }

  void GivenDb(const std::string& bytes) { WriteFile(dir_.File("db"), bytes); }
  std::string Db() { return ReadFile(dir_.File("db")); }
  bool Exists(const std::string& name) { return FileExists(dir_.File(name)); }

  TempDir dir_;
  TempDir home_;
};

#endif  // FLORRIN_TESTS_E2E_CATALOGUE_FLORRIN_FIXTURE_H_
