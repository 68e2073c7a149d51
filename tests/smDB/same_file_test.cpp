// Whether two names reach one file is judged by the file's identity, not
// by its name. (That no rewrite removes the catalogue through its scratch
// name is checked end to end: tests/e2e/web/own_file_e2e_test.cpp.)
#include <gtest/gtest.h>

#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>

#include "file-identity.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

class SameFileTest : public ::testing::Test {
 protected:
  SameFileTest() : cwd_(dir_.path()) {}

  // Makes a link `link` to `target`; false (with the reason in `*why`) where
  // the system gives ordinary programs none (Windows, and Wine).
  static bool Link(bool bSymbolic, const std::string& target,
                   const std::string& link, std::string* why) {
    std::error_code ec;
    if (bSymbolic) {
      fs::create_symlink(target, link, ec);
    } else {
      fs::create_hard_link(target, link, ec);
    }
    if (ec) *why = ec.message();
    return !ec;
  }

  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_F(SameFileTest, GoesByIdentityNotByName) {
  WriteFile("a", "same bytes");
  WriteFile("b", "same bytes");
  fs::create_directory("sub");
  const struct {
    const char* what;
    const char* link;    // a name made to reach "a", or ""
    const char* target;  // what the link holds
    bool symbolic;
    const char* x;
    const char* y;
    bool same;
  } kCases[] = {
      {"one name", "", "", false, "a", "a", true},
      {"another spelling", "", "", false, "a", "sub/../a", true},
      {"equal content", "", "", false, "a", "b", false},
      {"a missing file", "", "", false, "a", "nothing", false},
      {"both missing", "", "", false, "nothing", "nothing", false},
      {"a folder", "", "", false, "sub", "a", false},
      {"a hard link", "hard", "a", false, "hard", "a", true},
      {"a symbolic link", "soft", "a", true, "a", "soft", true},
      {"a link from a folder", "sub/soft", "../a", true, "sub/soft", "a", true},
  };
  for (const auto& c : kCases) {
    std::string why;
    if (*c.link != '\0' && !Link(c.symbolic, c.target, c.link, &why)) {
      std::cout << "skipped " << c.what << ": " << why << "\n";
      continue;
    }
    EXPECT_EQ(c.same, SameFile(c.x, c.y)) << c.what;
    EXPECT_EQ(c.same, SameFile(c.y, c.x)) << c.what;
  }
}

}  // namespace
