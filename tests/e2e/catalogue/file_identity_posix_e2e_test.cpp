// What rewrites and appends do to the catalogue file as a file: its mode,
// owner and links survive a rewrite, a read-only catalogue is refused, and an
// append that runs out of disk space leaves the catalogue as it was.
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

namespace fs = std::filesystem;

const std::string kOne = kHeader + "\n\n[First]\n" + MovieBody("a");

// The three commands that rewrite the catalogue, each with its output on
// success and on refusal. Each changes First; the changes are repeatable.
struct Rewrite {
  std::vector<std::string> args;
  std::string refused;
};
const std::vector<Rewrite> kRewrites = {
    {{"--edit", "First", "plot", "edited"}, "!error!"},
    {Movie("--change", "First", "c"), "!error! Could not change record."},
    {{"--del", "First"}, "!error!"},
};

// A tmpfs of `kb` kilobytes mounted on a fresh folder for the object's
// lifetime; mounted() is false where the test may not mount.
class SmallTmpfs {
 public:
  SmallTmpfs(const std::string& dir, int kb) : dir_(dir) {
    fs::create_directory(dir_);
    const std::string opts = "size=" + std::to_string(kb) + "k,mode=0755";
    if (mount("tmpfs", dir_.c_str(), "tmpfs", 0, opts.c_str()) == 0) {
      mounted_ = true;
    } else {
      why_ = std::strerror(errno);
    }
  }
  ~SmallTmpfs() {
    if (mounted_) umount2(dir_.c_str(), MNT_DETACH);
  }
  SmallTmpfs(const SmallTmpfs&) = delete;
  SmallTmpfs& operator=(const SmallTmpfs&) = delete;

  bool mounted() const { return mounted_; }
  const std::string& why() const { return why_; }

 private:
  std::string dir_;
  bool mounted_ = false;
  std::string why_;
};

class FileIdentityTest : public FlorrinTest {
 protected:
  struct stat Lstat(const std::string& name) {
    struct stat st = {};
    EXPECT_EQ(0, lstat(dir_.File(name).c_str(), &st)) << name;
    return st;
  }
  mode_t Mode(const std::string& name) { return Lstat(name).st_mode & 07777; }
  void Chmod(const std::string& name, mode_t mode) {
    ASSERT_EQ(0, chmod(dir_.File(name).c_str(), mode));
  }
  // Writes a catalogue holding First as `name` and points "db" at it.
  void GivenLinkedDb(const std::string& name, const std::string& link) {
    WriteFile(dir_.File(name), kOne);
    ASSERT_EQ(0, symlink(link.c_str(), dir_.File("db").c_str()));
  }
  // Runs Run(args) in the folder `sub` of the test's folder.
  std::string RunIn(const std::string& sub,
                    const std::vector<std::string>& args) {
    RunResult r = RunProgram(FLORRIN_EXE, args, dir_.File(sub));
    EXPECT_EQ("", r.err);
    return r.out;
  }
};

TEST_F(FileIdentityTest, RewritesKeepThePermissionBits) {
  for (mode_t mode : {0600, 0640, 0664, 0604}) {
    for (const Rewrite& rewrite : kRewrites) {
      GivenDb(kOne);
      Chmod("db", mode);
      EXPECT_EQ("!ok!", Run(rewrite.args)) << rewrite.args[0];
      EXPECT_EQ(mode, Mode("db")) << rewrite.args[0];
      EXPECT_TRUE(S_ISREG(Lstat("db").st_mode));
    }
  }
}

TEST_F(FileIdentityTest, RewritesKeepOwnerAndGroupWhereTheyMay) {
  if (geteuid() != 0) GTEST_SKIP() << "only root may give a file away";
  for (const Rewrite& rewrite : kRewrites) {
    GivenDb(kOne);
    ASSERT_EQ(0, chown(dir_.File("db").c_str(), 4321, 4322));
    EXPECT_EQ("!ok!", Run(rewrite.args)) << rewrite.args[0];
    EXPECT_EQ(4321u, Lstat("db").st_uid) << rewrite.args[0];
    EXPECT_EQ(4322u, Lstat("db").st_gid) << rewrite.args[0];
  }
}

TEST_F(FileIdentityTest, ASymlinkedCatalogueKeepsItsLinkAndGetsItsTarget) {
  fs::create_directory(dir_.File("keep"));
  GivenLinkedDb("keep/real.db", "keep/real.db");
  Chmod("keep/real.db", 0640);
  // A scratch file in the current folder would fail here: it is a folder.
  fs::create_directories(dir_.File("tmpfl/inside"));
  fs::create_directories(dir_.File("tempout/inside"));
  EXPECT_EQ("!ok!", Run({"--edit", "First", "plot", "edited"}));
  EXPECT_EQ("!ok!", Run(Movie("--change", "First", "c")));
  EXPECT_EQ("!ok!", Run(Movie("--add", "Second", "b")));
  EXPECT_TRUE(S_ISLNK(Lstat("db").st_mode));
  EXPECT_EQ("keep/real.db", fs::read_symlink(dir_.File("db")).string());
  EXPECT_EQ(kHeader + "\n\n[First]\n" + MovieBody("c") + "\n\n\n\n[Second]\n" +
                MovieBody("b"),
            ReadFile(dir_.File("keep/real.db")));
  EXPECT_EQ(0640u, Mode("keep/real.db"));
  EXPECT_EQ("!ok!", Run({"--del", "First"}));
  EXPECT_EQ("Second|", Run({"--list"}));
  EXPECT_TRUE(S_ISLNK(Lstat("db").st_mode));
  // No scratch file is left beside the target; the lock lies there too.
  EXPECT_EQ((std::vector<std::string>{"db.lock", "real.db"}), [&] {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.File("keep")))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }());
  EXPECT_FALSE(Exists("db.lock"));
}

TEST_F(FileIdentityTest, ALinkToACatalogueOnAnotherFileSystemIsRewritten) {
  // A scratch file beside the link could not be renamed onto the target.
  SmallTmpfs other(dir_.File("other"), 512);
  if (!other.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << other.why();
  GivenLinkedDb("other/real.db", dir_.File("other/real.db"));
  for (const Rewrite& rewrite : kRewrites)
    EXPECT_EQ("!ok!", Run(rewrite.args)) << rewrite.args[0];
  EXPECT_EQ("", Run({"--list"}));
  EXPECT_TRUE(S_ISLNK(Lstat("db").st_mode));
}

TEST_F(FileIdentityTest, NewMakesNothingThroughALinkThatLeadsNowhere) {
  fs::create_symlink("elsewhere", dir_.File("db"));
  EXPECT_EQ("!error!", Run({"--new"}));
  EXPECT_FALSE(fs::exists(dir_.File("elsewhere")));
  EXPECT_TRUE(fs::is_symlink(dir_.File("db")));
}

TEST_F(FileIdentityTest, AHardLinkedCatalogueIsSplitByARewrite) {
  GivenDb(kOne);
  ASSERT_EQ(0, link(dir_.File("db").c_str(), dir_.File("twin").c_str()));
  EXPECT_EQ("!ok!", Run({"--edit", "First", "plot", "edited"}));
  EXPECT_EQ("edited", Run({"--get", "First", "plot"}));
  EXPECT_EQ(kOne, ReadFile(dir_.File("twin")));
  EXPECT_EQ(1u, Lstat("db").st_nlink);
}

// --- error paths ---

TEST_F(FileIdentityTest, AReadOnlyCatalogueIsRefusedEvenForRoot) {
  for (mode_t mode : {0444, 0400, 0555}) {
    GivenDb(kOne);
    Chmod("db", mode);
    for (const Rewrite& rewrite : kRewrites)
      EXPECT_EQ(rewrite.refused, Run(rewrite.args)) << rewrite.args[0];
    EXPECT_EQ("!error!", Run(Movie("--add", "Second", "b")));
    EXPECT_EQ(kOne, Db());
    EXPECT_EQ(mode, Mode("db"));
    EXPECT_FALSE(Exists("tmpfl"));
    EXPECT_FALSE(Exists("tempout"));
    Chmod("db", 0644);
  }
  // Readers still work.
  Chmod("db", 0444);
  EXPECT_EQ("a1", Run({"--get", "First", "plot"}));
}

TEST_F(FileIdentityTest, AReadOnlyLinkTargetIsRefused) {
  fs::create_directory(dir_.File("keep"));
  GivenLinkedDb("keep/real.db", "keep/real.db");
  Chmod("keep/real.db", 0444);
  for (const Rewrite& rewrite : kRewrites)
    EXPECT_EQ(rewrite.refused, Run(rewrite.args)) << rewrite.args[0];
  EXPECT_EQ(kOne, ReadFile(dir_.File("keep/real.db")));
  EXPECT_TRUE(S_ISLNK(Lstat("db").st_mode));
}

TEST_F(FileIdentityTest, AnAppendThatFillsTheDiskLeavesTheCatalogueAsItWas) {
  SmallTmpfs disk(dir_.File("disk"), 256);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk.why();
  WriteFile(dir_.File("disk/db"), kOne);
  // Leave about 40 KB free: less than the record, more than the header.
  const std::string filler = dir_.File("disk/filler");
  WriteFile(filler, std::string(256 * 1024, 'f'));
  fs::resize_file(filler, fs::file_size(filler) - 40 * 1024);
  std::vector<std::string> big = Movie("--add", "Big", "x");
  big[2] = std::string(100 * 1024, 'p');
  EXPECT_EQ("!error!", RunIn("disk", big));
  EXPECT_EQ(kOne, ReadFile(dir_.File("disk/db")));
  EXPECT_EQ("First|", RunIn("disk", {"--list"}));
  // Once there is room the same title can be added.
  fs::remove(filler);
  EXPECT_EQ("!ok!", RunIn("disk", big));
  EXPECT_EQ("First|Big|", RunIn("disk", {"--list"}));
}

TEST_F(FileIdentityTest, NewOnAFullDiskLeavesNoCatalogue) {
  SmallTmpfs disk(dir_.File("disk"), 64);
  if (!disk.mounted()) GTEST_SKIP() << "cannot mount a tmpfs: " << disk.why();
  // The name still fits (the lock file's too), the header line does not.
  WriteFile(dir_.File("disk/filler"), std::string(64 * 1024, 'f'));
  EXPECT_EQ("!error!", RunIn("disk", {"--new"}));
  EXPECT_FALSE(fs::exists(dir_.File("disk/db")));
  fs::remove(dir_.File("disk/filler"));
  EXPECT_EQ("!ok!", RunIn("disk", {"--new"}));
}

}  // namespace
