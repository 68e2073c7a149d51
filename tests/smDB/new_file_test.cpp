// Making a file that must not exist yet: its name never shows it empty or
// half-written, of two makers only one gets the name, and where the file
// system has no hard links the file is created in place instead.
#include <gtest/gtest.h>

#include <cctype>
#include <cerrno>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "file-append.h"
#include "new-file.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace {

namespace fs = std::filesystem;

const std::string kBytes = "1.0.0-TALVERO_sTxtDB\n";

// The names in the current folder.
std::set<std::string> Names() {
  std::set<std::string> names;
  for (const auto& entry : fs::directory_iterator("."))
    names.insert(entry.path().filename().string());
  return names;
}

// What the hook found just before the private file was to take the name,
// and what it does there.
struct AtTheLink {
  int answer = 0;      // the hook's answer: 0, or the error the link fails with
  bool racer = false;  // another maker takes the name first
  bool called = false;
  bool name_free = false;       // nothing stood at "db"
  bool append_refused = false;  // an append to "db" failed and made nothing
  std::string private_bytes;    // what the private file held
  std::string private_folder;   // the folder of the private file
};
AtTheLink g_at;

int Hook(const sString& sPrivate) {
  g_at.called = true;
  std::error_code ec;
  g_at.name_free =
      fs::symlink_status("db", ec).type() == fs::file_type::not_found;
  g_at.append_refused = !AppendWhole("db", "\n\n[Lost]") &&
                        !fs::exists(fs::symlink_status("db", ec));
  g_at.private_bytes = ReadFile(sPrivate);
  g_at.private_folder = fs::path(sPrivate).parent_path().string();
  if (g_at.racer) WriteFile("db", "racer");
  return g_at.answer;
}

struct Case {
  const char* name;
  int answer;
  bool racer;
  bool ok;               // what WriteNewFile answers
  const char* db;        // what "db" holds afterwards, "<missing>" for none
};

const Case kCases[] = {
    {"linked into place", 0, false, true, kBytes.c_str()},
    {"another maker took the name first", 0, true, false, "racer"},
#ifndef _WIN32
    // POSIX: the link's errors. Only a file system without hard links sends
    // the file the other way; any other failure is a failure.
    {"no hard links (EPERM, FAT)", EPERM, false, true, kBytes.c_str()},
    {"no hard links (EOPNOTSUPP)", EOPNOTSUPP, false, true, kBytes.c_str()},
    {"no hard links (EXDEV)", EXDEV, false, true, kBytes.c_str()},
    {"no hard links, and another maker first", EPERM, true, false, "racer"},
    {"the link fails (EIO)", EIO, false, false, "<missing>"},
    {"no room for the name (ENOSPC)", ENOSPC, false, false, "<missing>"},
#endif
};

class NewFileStepTest : public ::testing::TestWithParam<Case> {
 protected:
  NewFileStepTest() : cwd_(dir_.path()) { g_at = AtTheLink(); }
  ~NewFileStepTest() override { SetNewFileLinkHookForTest(nullptr); }

  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_P(NewFileStepTest, TheNameShowsTheWholeFileOrNothingAndNothingElseIsLeft) {
  const Case& c = GetParam();
  g_at.answer = c.answer;
  g_at.racer = c.racer;
  SetNewFileLinkHookForTest(Hook);
  EXPECT_EQ(c.ok, WriteNewFile("db", kBytes));
  ASSERT_TRUE(g_at.called);
  // Until the file is whole no one finds it, and an append makes no file.
  EXPECT_TRUE(g_at.name_free);
  EXPECT_TRUE(g_at.append_refused);
  EXPECT_EQ(kBytes, g_at.private_bytes);
  EXPECT_EQ("", g_at.private_folder);  // beside "db", in the same folder
  EXPECT_EQ(c.db, ReadFile("db"));
  const std::set<std::string> only_db = {"db"};
  EXPECT_EQ(std::string(c.db) == "<missing>" ? std::set<std::string>() : only_db,
            Names());
}

INSTANTIATE_TEST_SUITE_P(Steps, NewFileStepTest, ::testing::ValuesIn(kCases),
                         [](const ::testing::TestParamInfo<Case>& info) {
                           std::string name;
                           for (const char* p = info.param.name; *p; ++p)
                             if (std::isalnum(static_cast<unsigned char>(*p)))
                               name += *p;
                           return name;
                         });

#ifndef _WIN32
TEST(NewFileModeTest, TheFileGetsTheModeOfAnyNewFile) {
  // The private file is made for the owner alone; the name must not keep
  // that.
  TempDir dir;
  ScopedCwd cwd(dir.path());
  for (mode_t mask : {022, 002, 077}) {
    const mode_t old = umask(mask);
    fs::remove("db");
    EXPECT_TRUE(WriteNewFile("db", kBytes));
    struct stat st;
    ASSERT_EQ(0, stat("db", &st));
    umask(old);
    EXPECT_EQ(0666 & ~mask, st.st_mode & 07777) << std::oct << mask;
    EXPECT_EQ(1u, st.st_nlink);
  }
}
#endif

}  // namespace
