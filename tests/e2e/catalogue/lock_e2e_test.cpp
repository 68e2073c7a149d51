// Which commands wait for the catalogue lock: every command that writes
// files (the catalogue, its scratch files, downloaded pages) in a folder
// with a catalogue, so that two runs there never write the same file at
// once; no reader; and nothing that runs in a folder without a catalogue.
// A lock file the user may only read still locks; one that cannot be opened
// at all refuses every change. A change goes only to a catalogue found both
// before and after the lock.
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "catalogue-lock.h"
#include "florrin_fixture.h"

#ifndef _WIN32
#include <unistd.h>
#endif

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// The commands that change the catalogue, each with what it prints where it
// may not: no lock to be had, or no catalogue. Each changes record A or
// adds B.
struct Change {
  std::vector<std::string> args;
  std::string refused;
};
const std::vector<Change>& Changes() {
  static const std::vector<Change> changes = {
      {{"--del", "A"}, "!error!"},
      {{"--edit", "A", "plot", "new"}, "!error!"},
      {Movie("--add", "B", "b"), "!error!"},
      {Movie("--change", "A", "c"), "!error! Could not open DataBase."},
      {{"--autoadd", "A film"}, "!error!"},
      {{"--urladd", "A film", "http://www.imdb.com/title/tt0000001/"},
       "!error! Could not open DataBase."},
  };
  return changes;
}

// Long enough for an unlocked run of any of these commands to end; a run
// still going after it waits for the lock.
constexpr milliseconds kGrace(700);

class LockTest : public FlorrinTest {
 protected:
  LockTest() { GivenDb(kHeader + "\n\n[A]\n" + MovieBody("a")); }

  // Starts florrin with `args` while the test holds the catalogue lock. True
  // when the run was still going after the grace period and had changed
  // nothing; the lock is then released and the run must end.
  bool WaitsForTheLock(const std::vector<std::string>& args,
                       const ChildSetup& setup = ChildSetup()) {
    const std::string before = Db();
    auto lock = std::make_unique<CatalogueLock>(dir_.File("db.lock"));
    EXPECT_TRUE(lock->held());
    std::future<RunResult> run = Start(args, setup);
    const bool bWaited =
        run.wait_for(kGrace) == std::future_status::timeout &&
        Db() == before && !Exists("tmpfl") && !Exists("tempout");
    lock.reset();
    EXPECT_EQ(0, run.get().exit_code);
    return bWaited;
  }

  // Runs florrin with `args` while the test holds the lock: true when it
  // ended without waiting for it.
  bool EndsWhileLocked(const std::vector<std::string>& args) {
    auto lock = std::make_unique<CatalogueLock>(dir_.File("db.lock"));
    std::future<RunResult> run = Start(args);
    const bool bEnded =
        run.wait_for(milliseconds(20000)) == std::future_status::ready;
    lock.reset();  // a run that waited after all can end now
    run.get();
    return bEnded;
  }

  std::future<RunResult> Start(const std::vector<std::string>& args,
                               const ChildSetup& setup = ChildSetup()) {
    // Downloads fail at once: the proxy is a closed local port.
    const std::string dir = dir_.path();
    return std::async(std::launch::async, [args, dir, setup] {
      std::vector<std::string> env = WithoutUserSettings(dir);
      env.push_back("http_proxy=http://127.0.0.1:9/");
      env.push_back("no_proxy");
      return RunProgramAs(setup, FLORRIN_EXE, args, dir, env);
    });
  }
};

TEST_F(LockTest, EveryCommandThatWritesFilesWaitsForTheLock) {
  const std::vector<std::vector<std::string>> writers = {
      {"--del", "A"},
      {"--edit", "A", "plot", "new"},
      Movie("--add", "B", "b"),
      Movie("--change", "A", "c"),
      {"--autoadd", "A film"},
      {"--urladd", "A film", "http://www.imdb.com/title/tt0000001/"},
      {"--printsearch", "A film"},
  };
  for (const auto& args : writers) EXPECT_TRUE(WaitsForTheLock(args)) << args[0];
}

TEST_F(LockTest, ReadersDoNotWaitForTheLock) {
  const std::vector<std::vector<std::string>> readers = {
      {"--list"},
      {"--listbyname"},
      {"--get", "A", "plot"},
      {"--printrec", "A"},
      {"--filter", "Genre", "a"},
  };
  for (const auto& args : readers) EXPECT_TRUE(EndsWhileLocked(args)) << args[0];
}

TEST_F(LockTest, NewWaitsForTheLockOnlyWhereThereIsNoCatalogue) {
  // A change that finds the catalogue being made waits until it is whole.
  EXPECT_TRUE(EndsWhileLocked({"--new"}));
  std::filesystem::remove(dir_.File("db"));
  auto lock = std::make_unique<CatalogueLock>(dir_.File("db.lock"));
  std::future<RunResult> run = Start({"--new"});
  EXPECT_EQ(std::future_status::timeout, run.wait_for(kGrace));
  EXPECT_FALSE(Exists("db"));
  lock.reset();
  EXPECT_EQ("!ok!", run.get().out);
  EXPECT_EQ(Written(kHeader), Db());
}

TEST_F(LockTest, PrintSearchWithoutACatalogueTakesNoLock) {
  // It changes no catalogue, so it leaves nothing behind but its search page
  // (none here: the download fails).
  std::filesystem::remove(dir_.File("db"));
  const std::vector<std::string> args = {"--printsearch", "A film"};
  EXPECT_EQ(0, Start(args).get().exit_code);
  EXPECT_TRUE(std::filesystem::is_empty(dir_.path()));
  EXPECT_TRUE(EndsWhileLocked(args));
}

TEST_F(LockTest, ALockFileTheUserMayOnlyReadStillLocks) {
  // Another user's lock file, or one without write permission, is opened
  // read-only, and locks all the same.
  WriteFile(dir_.File("db.lock"), "");
  fs::permissions(dir_.File("db.lock"), fs::perms::owner_read |
                                            fs::perms::group_read |
                                            fs::perms::others_read);
  ChildSetup setup;
#ifndef _WIN32
  // The superuser may open any file for writing: the runs are another
  // user's, who may change the catalogue.
  if (geteuid() == 0) {
    setup.user_id = 65534;
    fs::permissions(dir_.path(), fs::perms::all);
    fs::permissions(dir_.File("db"),
                    fs::perms::owner_read | fs::perms::owner_write |
                        fs::perms::group_read | fs::perms::group_write |
                        fs::perms::others_read | fs::perms::others_write);
  }
#endif
  EXPECT_TRUE(WaitsForTheLock({"--edit", "A", "plot", "new"}, setup));
  EXPECT_TRUE(WaitsForTheLock(Movie("--add", "B", "b"), setup));
  // Each change was made once the lock was let go.
  EXPECT_EQ("new", Run({"--get", "A", "plot"}));
  EXPECT_EQ("A|B|", Run({"--list"}));
  // Windows removes no read-only file with the folder.
  fs::permissions(dir_.File("db.lock"), fs::perms::owner_write,
                  fs::perm_options::add);
}

TEST_F(LockTest, ALockFileThatCannotBeOpenedRefusesEveryChange) {
  const std::string before = Db();
  struct Unopenable {
    const char* what;
    void (*make)(const std::string& path);
  };
  const Unopenable kinds[] = {
      {"a folder",
       [](const std::string& path) { fs::create_directories(path + "/x"); }},
#ifndef _WIN32
      {"a link into a missing folder",
       [](const std::string& path) {
         fs::create_symlink("missing/db.lock", path);
       }},
#endif
  };
  for (const Unopenable& kind : kinds) {
    kind.make(dir_.File("db.lock"));
    for (const Change& change : Changes())
      EXPECT_EQ(change.refused, Run(change.args))
          << change.args[0] << ", lock file " << kind.what;
    EXPECT_EQ(before, Db()) << kind.what;
    EXPECT_FALSE(Exists("tmpfl") || Exists("tempout")) << kind.what;
    // Readers take no lock.
    EXPECT_EQ("A|", Run({"--list"})) << kind.what;
    EXPECT_EQ("a1", Run({"--get", "A", "plot"})) << kind.what;
    // Nor is a catalogue started.
    fs::rename(dir_.File("db"), dir_.File("kept"));
    EXPECT_EQ("!error!", Run({"--new"})) << kind.what;
    EXPECT_FALSE(Exists("db")) << kind.what;
    fs::rename(dir_.File("kept"), dir_.File("db"));
    fs::remove_all(dir_.File("db.lock"));
  }
}

TEST_F(LockTest, AChangeGoesOnlyToTheCatalogueItFoundBeforeTheLock) {
  // The catalogue goes while the change waits: the change makes none.
  for (const Change& change : Changes()) {
    GivenDb(kHeader + "\n\n[A]\n" + MovieBody("a"));
    auto lock = std::make_unique<CatalogueLock>(dir_.File("db.lock"));
    std::future<RunResult> run = Start(change.args);
    EXPECT_EQ(std::future_status::timeout, run.wait_for(kGrace))
        << change.args[0];
    fs::remove(dir_.File("db"));
    lock.reset();
    EXPECT_EQ(change.refused, run.get().out) << change.args[0];
    EXPECT_FALSE(Exists("db")) << change.args[0];
  }
}

}  // namespace
