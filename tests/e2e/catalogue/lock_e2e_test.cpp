// Which commands wait for the catalogue lock: every command that writes
// files (the catalogue, its scratch files, downloaded pages) in a folder
// with a catalogue, so that two runs there never write the same file at
// once; no reader; and nothing that runs in a folder without a catalogue.
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <vector>

#include "catalogue-lock.h"
#include "florrin_fixture.h"

namespace {

using std::chrono::milliseconds;

// Long enough for an unlocked run of any of these commands to end; a run
// still going after it waits for the lock.
constexpr milliseconds kGrace(700);

class LockTest : public FlorrinTest {
 protected:
  LockTest() { GivenDb(kHeader + "\n\n[A]\n" + MovieBody("a")); }

  // Starts florrin with `args` while the test holds the catalogue lock. True
  // when the run was still going after the grace period and had changed
  // nothing; the lock is then released and the run must end.
  bool WaitsForTheLock(const std::vector<std::string>& args) {
    const std::string before = Db();
    auto lock = std::make_unique<CatalogueLock>(dir_.File("db.lock"));
    EXPECT_TRUE(lock->held());
    std::future<RunResult> run = Start(args);
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

  std::future<RunResult> Start(const std::vector<std::string>& args) {
    // Downloads fail at once: the proxy is a closed local port.
    const std::string dir = dir_.path();
    return std::async(std::launch::async, [args, dir] {
      std::vector<std::string> env = WithoutUserSettings(dir);
      env.push_back("http_proxy=http://127.0.0.1:9/");
      env.push_back("no_proxy");
      return RunProgram(FLORRIN_EXE, args, dir, env);
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

}  // namespace
