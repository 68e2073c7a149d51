// The catalogue is never damaged: line breaks in arguments are refused, a
// rewrite that cannot finish leaves the old file whole, and concurrent runs
// are serialised.
#include <filesystem>
#include <future>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

const std::string kOne = kHeader + "\n\n[First]\n" + MovieBody("a");

class SafetyTest : public FlorrinTest {
 protected:
  void MakeBusyDirectory(const std::string& name) {
    std::filesystem::create_directories(dir_.File(name) + "/inside");
  }
};

TEST_F(SafetyTest, LineBreaksInArgumentsAreRefusedAndTheFileUntouched) {
  GivenDb(kOne);
  std::vector<std::string> forged = Movie("--add", "Evil", "x");
  forged[3] = "t\n\n[Forged]\nplot=p";
  EXPECT_EQ("!error!", Run(forged));
  EXPECT_EQ("!error!", Run(Movie("--add", "Two\nLines", "x")));
  std::vector<std::string> change = Movie("--change", "First", "x");
  change[12] = "type\n[Forged]";
  EXPECT_EQ("!error! Could not change record.", Run(change));
  EXPECT_EQ("!error!", Run({"--edit", "First", "plot", "x\n[Forged]"}));
  EXPECT_EQ("!error!", Run({"--edit", "First", "plot\n", "x"}));
  EXPECT_EQ(kOne, Db());
  EXPECT_EQ("First|", Run({"--list"}));
}

TEST_F(SafetyTest, RewritesThatCannotWriteTheirScratchKeepTheCatalogue) {
  GivenDb(kOne);
  MakeBusyDirectory("tmpfl");
  MakeBusyDirectory("tempout");
  EXPECT_EQ("!error!", Run({"--del", "First"}));
  EXPECT_EQ("!error! Could not change record.",
            Run(Movie("--change", "First", "c")));
  EXPECT_EQ("!error!", Run({"--edit", "First", "plot", "x"}));
  EXPECT_EQ(kOne, Db());
}

TEST_F(SafetyTest, ARewriteLeavesNoScratchFileAndAWholeCatalogue) {
  GivenDb(kOne);
  WriteFile(dir_.File("tmpfl"), "stale");
  EXPECT_EQ("!ok!", Run(Movie("--change", "First", "c")));
  EXPECT_FALSE(Exists("tmpfl"));
  EXPECT_EQ(kHeader + "\n\n[First]\n" + Written(MovieBody("c") + "\n\n"), Db());
}

TEST_F(SafetyTest, ChangingCommandsTakeTheLockAndReadersDoNot) {
  GivenDb(kOne);
  EXPECT_EQ("First|", Run({"--list"}));
  EXPECT_EQ("a1", Run({"--get", "First", "plot"}));
  EXPECT_FALSE(Exists("db.lock"));
  EXPECT_EQ("!ok!", Run({"--edit", "First", "plot", "b"}));
  EXPECT_TRUE(Exists("db.lock"));
}

TEST_F(SafetyTest, AnUncreatableLockFileRefusesChangesSilently) {
  // A change never runs unlocked; readers need no lock.
  GivenDb(kOne);
  MakeBusyDirectory("db.lock");
  EXPECT_EQ("!error!", Run({"--edit", "First", "plot", "b"}));
  EXPECT_EQ("a1", Run({"--get", "First", "plot"}));
  EXPECT_EQ(kOne, Db());
}

TEST_F(SafetyTest, ParallelAddsAllLandInAWellFormedFile) {
  GivenDb(kHeader);
  constexpr int kRuns = 20;
  std::vector<std::future<RunResult>> runs;
  for (int i = 0; i < kRuns; ++i) {
    std::vector<std::string> args = Movie("--add", "M" + std::to_string(i),
                                          "v" + std::to_string(i) + "_");
    runs.push_back(std::async(std::launch::async, [this, args] {
      return RunProgram(FLORRIN_EXE, args, dir_.path());
    }));
  }
  for (auto& run : runs) {
    RunResult r = run.get();
    EXPECT_EQ("!ok!", r.out);
    EXPECT_EQ("", r.err);
  }
  const std::string db = Db();
  ASSERT_EQ(0u, db.find(kHeader));
  size_t total = kHeader.size();
  for (int i = 0; i < kRuns; ++i) {
    std::string block = Written("\n\n[M" + std::to_string(i) + "]\n" +
                                MovieBody("v" + std::to_string(i) + "_"));
    // Each block is whole: it is followed by the next block or the file end.
    size_t at = db.find(block);
    ASSERT_NE(std::string::npos, at) << i;
    size_t end = at + block.size();
    const std::string next = Written("\n\n[");
    EXPECT_TRUE(end == db.size() || db.compare(end, next.size(), next) == 0)
        << i;
    total += block.size();
  }
  EXPECT_EQ(total, db.size());  // nothing but the header and the blocks
}

TEST_F(SafetyTest, ParallelAddsOfOneNameLetExactlyOneLand) {
  GivenDb(kHeader);
  std::vector<std::future<RunResult>> runs;
  for (int i = 0; i < 12; ++i) {
    std::vector<std::string> args =
        Movie("--add", "Same", "v" + std::to_string(i) + "_");
    runs.push_back(std::async(std::launch::async, [this, args] {
      return RunProgram(FLORRIN_EXE, args, dir_.path());
    }));
  }
  int landed = 0;
  for (auto& run : runs) {
    std::string out = run.get().out;
    EXPECT_TRUE(out == "!ok!" || out == "!error!") << out;
    landed += out == "!ok!";
  }
  EXPECT_EQ(1, landed);
  EXPECT_EQ("Same|", Run({"--list"}));
}

TEST_F(SafetyTest, ParallelRewritesNeverLoseEachOthersChanges) {
  std::string db = kHeader;
  for (int i = 0; i < 8; ++i)
    db += "\n\n[M" + std::to_string(i) + "]\n" + MovieBody("a");
  GivenDb(db);
  std::vector<std::future<RunResult>> runs;
  for (int i = 0; i < 8; ++i) {
    std::vector<std::string> args =
        i % 2 == 0 ? Movie("--change", "M" + std::to_string(i), "c")
                   : std::vector<std::string>{"--edit", "M" + std::to_string(i),
                                              "year", "edited"};
    runs.push_back(std::async(std::launch::async, [this, args] {
      return RunProgram(FLORRIN_EXE, args, dir_.path());
    }));
    // Readers run meanwhile and always see a whole catalogue.
    EXPECT_EQ("M0|M1|M2|M3|M4|M5|M6|M7|", Run({"--list"}));
  }
  for (auto& run : runs) EXPECT_EQ("!ok!", run.get().out);
  for (int i = 0; i < 8; ++i) {
    std::string want = i % 2 == 0 ? "c4" : "edited";
    EXPECT_EQ(want, Run({"--get", "M" + std::to_string(i), "year"})) << i;
  }
}

}  // namespace
