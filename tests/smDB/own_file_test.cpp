// The store never removes or replaces its own file through a scratch name:
// whether two names reach one file is judged by the file's identity, not by
// its name.
#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <iostream>
#include <string>
#include <system_error>

#include "file-identity.h"
#include "smDB.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";
const std::string kAlpha = kHeader + "\n\n[Alpha]\nfield=one\n\n[Beta]\nfield=two";

class OwnFileTest : public ::testing::Test {
 protected:
  OwnFileTest() : cwd_(dir_.path()) { fs::create_directory("keep"); }

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

TEST_F(OwnFileTest, SameFileGoesByIdentityNotByName) {
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

// A store whose file the scratch name reaches: the file named like the
// scratch file itself, a symbolic link to such a file, or a hard link of
// the scratch name to it. Every rewrite is refused and the file stays.
TEST_F(OwnFileTest, ARewriteWhoseScratchNameIsTheStoreFileIsRefused) {
  const struct {
    const char* what;
    const char* file;   // the store file, written with kAlpha
    const char* link;   // a link made to it, or ""
    bool symbolic;
    const char* open;   // what the store is opened on
    const char* scratch;  // the scratch name that reaches the file
  } kSetUps[] = {
      {"named tmpfl", "keep/tmpfl", "", false, "keep/tmpfl", "tmpfl"},
      {"named tempout", "keep/tempout", "", false, "keep/tempout", "tempout"},
      {"linked to tmpfl", "keep/tmpfl", "s", true, "s", "tmpfl"},
      {"linked to tempout", "keep/tempout", "s", true, "s", "tempout"},
      {"hard-linked as tmpfl", "keep/real", "keep/tmpfl", false, "keep/real", "tmpfl"},
      {"hard-linked as tempout", "keep/real", "keep/tempout", false, "keep/real",
       "tempout"},
  };
  const struct {
    const char* what;
    std::function<bool(smDB*)> run;
  } kRewrites[] = {
      {"delete of a missing name", [](smDB* db) { return db->delRec("NoSuch"); }},
      {"delete", [](smDB* db) { return db->delRec("Alpha"); }},
      {"edit", [](smDB* db) { return db->editRec("Alpha", "field", "x"); }},
      {"change",
       [](smDB* db) {
         return db->changeRec("Alpha", "", "", "", "", "", "", "", "", "", "", "");
       }},
  };
  for (const auto& s : kSetUps) {
    for (const auto& r : kRewrites) {
      fs::remove_all("keep");
      fs::remove("s");
      fs::create_directory("keep");
      WriteFile(s.file, kAlpha);
      std::string why;
      const std::string link = s.link;
      if (!link.empty() && !Link(s.symbolic, s.file, link, &why)) {
        std::cout << "skipped " << s.what << ": " << why << "\n";
        break;
      }
      // An edit writes "tempout", the others "tmpfl": only the rewrite whose
      // scratch name reaches the file is refused.
      const bool bUsesScratch = (std::string(s.scratch) == "tempout") ==
                                (std::string(r.what) == "edit");
      smDB db;
      ASSERT_TRUE(db.open(s.open));
      const bool bDone = r.run(&db);
      const std::string where = std::string(s.what) + ", " + r.what;
      if (bUsesScratch) {
        EXPECT_FALSE(bDone) << where;
        EXPECT_EQ(kAlpha, ReadFile(s.file)) << where;
        if (!link.empty()) {
          EXPECT_EQ(kAlpha, ReadFile(link)) << where;
        }
      } else if (r.what != std::string("delete of a missing name")) {
        // The other scratch name is free: the rewrite is made.
        EXPECT_TRUE(bDone) << where;
      }
    }
  }
}

}  // namespace
