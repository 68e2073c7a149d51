// Every command while memory runs out: run in this process through the
// dispatcher, with each allocation in turn made to fail, a command prints
// its answer or its failure marker and nothing else, writes nothing on
// standard error, and leaves the catalogue and its folder as they were.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "dispatch.h"
#include "support/eol.h"
#include "support/failing_allocations.h"
#include "support/file_util.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

namespace {

namespace fs = std::filesystem;

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";
const char* const kKeys[] = {"plot",     "tagline", "rate", "year",
                             "director", "runtime", "comments", "pic",
                             "Act",      "Genre",   "Type"};

std::string Record(const std::string& name, const std::string& p) {
  std::string s = "\n\n[" + name + "]";
  for (int i = 0; i < 11; ++i)
    s += "\n" + std::string(kKeys[i]) + "=" + p + std::to_string(i + 1);
  return s;
}

std::vector<sString> Movie(const char* word, const char* title) {
  std::vector<sString> words{word, title};
  for (int i = 1; i <= 11; ++i) words.push_back("m" + std::to_string(i));
  return words;
}

const std::string kCatalogue =
    kHeader + Record("Brazil", "b") + Record("Alien", "a") + Record("Heat", "h");

class OutOfMemoryTest : public ::testing::Test {
 protected:
  OutOfMemoryTest() : cwd_(dir_.path()) {}

  // The names in the folder, sorted; the lock file, which outlives every
  // run once made, is left out.
  static std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator("."))
      if (e.path().filename() != "db.lock")
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }

  // Runs `words` with the `n`th allocation failing (0: none) and returns
  // what reached standard output; standard error must stay empty.
  static std::string RunFailing(const std::vector<sString>& words, int64_t n) {
    std::fflush(stdout);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    FailAllocationNumber(n);
    Dispatch(words);
    StopFailingAllocations();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ("", testing::internal::GetCapturedStderr()) << words[0];
    return out;
  }

  // Runs `words` on the catalogue `db` (none when "<missing>") with the
  // first allocation failing, then the second, and so on until a run needs
  // none to fail. A run that failed must print `failure` and leave the
  // folder as it was; the others must print `ok` and leave what a run
  // without failures leaves.
  void Sweep(const std::vector<sString>& words, const std::string& db,
             const std::string& ok, const std::string& failure) {
    const auto Given = [&db] {
      fs::remove("db");
      if (db != "<missing>") WriteFile("db", db);
    };
    Given();
    const std::vector<std::string> before = Files();
    ASSERT_EQ(ok, RunFailing(words, 0)) << words[0];
    const std::string after = ReadFile("db");
    const std::vector<std::string> afterFiles = Files();
    int64_t n = 1;
    for (; n < 100000; ++n) {
      Given();
      const std::string out = RunFailing(words, n);
      const std::string where =
          std::string(words[0]) + ", allocation " + std::to_string(n);
      if (!AllocationFailed()) {
        // The first run that needed no failure is a whole run again.
        EXPECT_EQ(ok, out) << where;
        EXPECT_EQ(after, ReadFile("db")) << where;
        EXPECT_EQ(afterFiles, Files()) << where;
        break;
      }
      EXPECT_EQ(failure, out) << where;
      EXPECT_EQ(db, ReadFile("db")) << where;
      EXPECT_EQ(before, Files()) << where;
      if (HasFailure()) return;
    }
    EXPECT_GT(n, 1) << words[0] << " allocated nothing: the sweep tried nothing";
  }

  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_F(OutOfMemoryTest, EveryCatalogueCommandPrintsItsMarkerAndChangesNothing) {
  const struct {
    std::vector<sString> words;
    std::string ok;
    std::string failure;
  } kCases[] = {
      {{"--list"}, "Brazil|Alien|Heat|", "!error!"},
      {{"--listbyname"}, "Alien|Brazil|Heat|", "!error!"},
      {{"--get", "Alien", "director"}, "a5", "!error!"},
      {{"--printrec", "Heat"}, "h1|h2|h3|h4|h5|h6|h7|h8|h9|h10|h11|", "!error!"},
      {{"--filter", "Genre", "10"}, "Brazil|Alien|Heat|", "!error!"},
      {{"--edit", "Alien", "plot", "new plot"}, "!ok!", "!error!"},
      {Movie("--add", "Ran"), "!ok!", "!error!"},
      {Movie("--change", "Alien"), "!ok!", "!error! Could not change record."},
      {{"--del", "Brazil"}, "!ok!", "!error!"},
      {{"--del", "NoSuch"}, "!error!", "!error!"},
  };
  for (const auto& c : kCases) Sweep(c.words, kCatalogue, c.ok, c.failure);
}

TEST_F(OutOfMemoryTest, StartingACatalogueLeavesNoneWhenMemoryRunsOut) {
  Sweep({"--new"}, "<missing>", "!ok!", "!error!");
}

TEST_F(OutOfMemoryTest, ImportsAndSearchesPrintTheirMarkers) {
  // No downloader can be found: the imports go as far as their first
  // request, through the site and through the movie service.
  ScopedEnv path("PATH", dir_.File("no-programs"));
  ScopedEnv downloader("FLORRIN_DOWNLOADER", "wget");
  ScopedEnv home("HOME", dir_.path());
  ScopedEnv appdata("APPDATA", dir_.path());
  ScopedEnv xdg("XDG_CONFIG_HOME", nullptr);
  ScopedEnv log("FLORRIN_LOG", nullptr);
  ScopedEnv key("FLORRIN_TMDB_KEY", nullptr);
  for (const char* token : {"", "a-token"}) {
    ScopedEnv credential("FLORRIN_TMDB_TOKEN", token);
    Sweep({"--urladd", "Ran", "/movie/11645"}, kCatalogue,
          "!error! Connection error.", "!error! Could not add to DataBase.");
    Sweep({"--urladd", "Alien", "/movie/348"}, kCatalogue,
          "!error! Could not add to DataBase.",
          "!error! Could not add to DataBase.");
    Sweep({"--autoadd", "Ran"}, kCatalogue, "!error!", "!error!");
    Sweep({"--printsearch", "Ran"}, kCatalogue, "!download error! !error!",
          "!download error! !error!");
  }
}

TEST_F(OutOfMemoryTest, ASortedListingBeyondTheMemoryLeftPrintsOnlyItsMarker) {
  std::string db = kHeader;
  for (int i = 0; i < 5000; ++i) db += Record("Movie " + std::to_string(i), "x");
  WriteFile("db", db);
  std::fflush(stdout);
  testing::internal::CaptureStdout();
  FailAllocationsBeyond(64 * 1024);
  Dispatch({"--listbyname"});
  StopFailingAllocations();
  const std::string out = testing::internal::GetCapturedStdout();
  EXPECT_TRUE(AllocationFailed());
  EXPECT_TRUE(out == "!error!") << out.size() << " bytes: " << out.substr(0, 40);
}

// The seam itself: a test that trusts it must know it counts.
TEST(FailingAllocationsTest, FailsTheChosenAllocationAndMeasuresThePeak) {
  // Nothing but the allocations counted runs while it is armed. Called as
  // functions: a new-expression whose memory goes unused may be left out.
  const auto Fails = [](size_t n) {
    try {
      ::operator delete(::operator new(n));
      return false;
    } catch (const std::bad_alloc&) {
      return true;
    }
  };
  FailAllocationNumber(2);
  const bool b1 = Fails(1), b2 = Fails(1), b3 = Fails(1);
  StopFailingAllocations();
  EXPECT_FALSE(b1);
  EXPECT_TRUE(b2);
  EXPECT_FALSE(b3);
  EXPECT_TRUE(AllocationFailed());

  StartAllocationPeak();
  const bool bBig = Fails(3 << 20);
  const bool bSmall = Fails(1 << 10);
  const int64_t iPeak = PeakAllocation();
  EXPECT_FALSE(bBig || bSmall);
  EXPECT_GE(iPeak, 3 << 20);
  EXPECT_LT(iPeak, 4 << 20);

  FailAllocationsBeyond(1 << 20);
  const bool bUnder = Fails(1 << 19), bOver = Fails(2 << 20);
  StopFailingAllocations();
  EXPECT_FALSE(bUnder);
  EXPECT_TRUE(bOver);
  EXPECT_FALSE(Fails(2 << 20));
}

}  // namespace
