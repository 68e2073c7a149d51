// "--new": starting a catalogue in a folder without one, and refusing
// everywhere else.
#include <algorithm>
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

namespace fs = std::filesystem;

class NewTest : public FlorrinTest {
 protected:
  // The names in the test's folder, sorted.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
  using Names = std::vector<std::string>;
};

TEST_F(NewTest, StartsACatalogueWithTheHeaderLineThatTheCommandsTakeOn) {
  for (const char* word : {"--new", "-n"}) {
    fs::remove(dir_.File("db"));
    EXPECT_EQ("!ok!", Run({word})) << word;
    EXPECT_EQ(Written(kHeader), Db()) << word;
  }
  EXPECT_EQ("", Run({"--list"}));
  EXPECT_EQ("!ok!", Run(Movie("--add", "First", "a")));
  EXPECT_EQ(Written(kHeader + "\n\n[First]\n" + MovieBody("a")), Db());
  EXPECT_EQ("First|", Run({"--listbyname"}));
  // The lock file of the run that made it stays beside it, as after any
  // change.
  EXPECT_EQ((Names{"db", "db.lock"}), Files());
}

TEST_F(NewTest, WhereACatalogueExistsItRefusesAndTouchesNothing) {
  for (const std::string& old :
       {kHeader + "\n\n[First]\n" + MovieBody("a"), std::string(), kHeader}) {
    GivenDb(old);
    EXPECT_EQ("!error!", Run({"--new"}));
    EXPECT_EQ(old, Db());
    EXPECT_EQ((Names{"db"}), Files());  // no lock taken, so no lock file
  }
}

TEST_F(NewTest, AFolderNamedDbIsNotReplaced) {
  fs::create_directory(dir_.File("db"));
  EXPECT_EQ("!error!", Run({"-n"}));
  EXPECT_TRUE(fs::is_directory(dir_.File("db")));
  EXPECT_TRUE(fs::is_empty(dir_.File("db")));
}

TEST_F(NewTest, TakesNoArguments) {
  EXPECT_EQ(Written("!err in parameters!\n"), Run({"--new", "db"}));
  EXPECT_EQ(Written("!err in parameters!\n"), Run({"-n", "x", "y"}));
  EXPECT_TRUE(fs::is_empty(dir_.path()));
}

TEST_F(NewTest, OfManyStartedAtOnceExactlyOneSucceeds) {
  std::vector<std::future<RunResult>> runs;
  for (int i = 0; i < 12; ++i) {
    runs.push_back(std::async(std::launch::async, [this] {
      return RunProgram(FLORRIN_EXE, {"--new"}, dir_.path());
    }));
  }
  int made = 0;
  for (auto& run : runs) {
    const RunResult r = run.get();
    EXPECT_TRUE(r.out == "!ok!" || r.out == "!error!") << r.out;
    EXPECT_EQ("", r.err);
    made += r.out == "!ok!";
  }
  EXPECT_EQ(1, made);
  EXPECT_EQ(Written(kHeader), Db());
}

TEST_F(NewTest, AnAddRacingNewFindsTheWholeCatalogueOrNone) {
  // --add either finds no catalogue and refuses, making none, or finds the
  // new one whole and appends after its header line; --new never writes
  // over a record. Started together, round after round, in fresh folders
  // (fewer under Wine, where a run takes ten times as long).
#ifdef _WIN32
  constexpr int kRounds = 8;
#else
  constexpr int kRounds = 24;
#endif
  for (int round = 0; round < kRounds; ++round) {
    TempDir dir;
    std::future<RunResult> add = std::async(std::launch::async, [&dir] {
      return RunProgram(FLORRIN_EXE, Movie("--add", "M", "v"), dir.path());
    });
    const RunResult made = RunProgram(FLORRIN_EXE, {"--new"}, dir.path());
    const RunResult added = add.get();
    EXPECT_EQ("!ok!", made.out) << round;
    const std::string db = ReadFile(dir.File("db"));
    if (added.out == "!ok!") {
      EXPECT_EQ(Written(kHeader + "\n\n[M]\n" + MovieBody("v")), db) << round;
    } else {
      EXPECT_EQ("!error!", added.out) << round;
      EXPECT_EQ(Written(kHeader), db) << round;
    }
  }
}

}  // namespace
