// A catalogue reached through a symbolic link from another folder has one
// lock with every other run that reaches the same file: "db.lock" in the
// folder of the file itself, whatever that file is called, where the
// rewrites make their scratch files too. So changes made from both folders
// at once are all kept.
#include <chrono>
#include <filesystem>
#include <future>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "catalogue-lock.h"
#include "florrin_fixture.h"

namespace {

namespace fs = std::filesystem;
using std::chrono::milliseconds;

// Long enough for an unlocked edit to end.
constexpr milliseconds kGrace(700);

// How "use/db" leads to the catalogue "store/<file>": links made in order,
// each a (link, target) pair, the link's path inside the test's folder.
struct Route {
  const char* what;
  const char* file;
  std::vector<std::pair<std::string, std::string>> links;
};

const std::vector<Route>& Routes() {
  static const std::vector<Route> routes = {
      {"a link to another folder's db", "db", {{"use/db", "../store/db"}}},
      {"a link to a file of another name",
       "movies.txt",
       {{"use/db", "../store/movies.txt"}}},
      {"a link to a link",
       "movies.txt",
       {{"hop/db", "../store/movies.txt"}, {"use/db", "../hop/db"}}},
  };
  return routes;
}

std::string Names(const std::vector<int>& ids) {
  std::string out;
  for (int i : ids) out += "M" + std::to_string(i) + "|";
  return out;
}

class LinkedCatalogueTest : public FlorrinTest {
 protected:
  // Makes the folders and links of `route` and a catalogue of `iRecords`
  // records M0, M1, ... as store/<file>.
  void Given(const Route& route, int iRecords) {
    for (const char* sub : {"store", "use", "hop"})
      fs::create_directories(dir_.File(sub));
    std::string db = kHeader;
    for (int i = 0; i < iRecords; ++i)
      db += "\n\n[M" + std::to_string(i) + "]\n" + MovieBody("a");
    WriteFile(dir_.File(std::string("store/") + route.file), db);
    for (const auto& [link, target] : route.links)
      fs::create_symlink(target, dir_.File(link));
  }

  std::future<RunResult> Start(const std::string& sub,
                               const std::vector<std::string>& args) {
    const std::string cwd = dir_.File(sub);
    return std::async(std::launch::async,
                      [cwd, args] { return RunProgram(FLORRIN_EXE, args, cwd); });
  }

  std::string RunIn(const std::string& sub,
                    const std::vector<std::string>& args) {
    const RunResult r = Start(sub, args).get();
    EXPECT_EQ("", r.err);
    return r.out;
  }
};

TEST_F(LinkedCatalogueTest, ChangesThroughALinkWaitForTheLockBesideTheFile) {
  for (const Route& route : Routes()) {
    fs::remove_all(dir_.File("store"));
    fs::remove_all(dir_.File("use"));
    fs::remove_all(dir_.File("hop"));
    Given(route, 1);
    const std::string file = dir_.File(std::string("store/") + route.file);
    const std::string before = ReadFile(file);
    auto lock = std::make_unique<CatalogueLock>(dir_.File("store/db.lock"));
    ASSERT_TRUE(lock->held());
    std::future<RunResult> run = Start("use", {"--edit", "M0", "plot", "new"});
    EXPECT_EQ(std::future_status::timeout, run.wait_for(kGrace)) << route.what;
    EXPECT_EQ(before, ReadFile(file)) << route.what;
    lock.reset();
    EXPECT_EQ("!ok!", run.get().out) << route.what;
    EXPECT_EQ("new", RunIn("use", {"--get", "M0", "plot"})) << route.what;
    // No lock beside a link; the file stays reached through it.
    EXPECT_FALSE(FileExists(dir_.File("use/db.lock"))) << route.what;
    EXPECT_FALSE(FileExists(dir_.File("hop/db.lock"))) << route.what;
    EXPECT_TRUE(fs::is_symlink(dir_.File("use/db"))) << route.what;
  }
}

TEST_F(LinkedCatalogueTest, EditsFromBothFoldersAtOnceAreAllKept) {
  constexpr int kRecords = 24;
  Given(Routes()[0], kRecords);
  std::vector<std::future<RunResult>> edits;
  std::vector<int> all;
  for (int i = 0; i < kRecords; ++i) {
    all.push_back(i);
    edits.push_back(Start(i % 2 == 0 ? "store" : "use",
                          {"--edit", "M" + std::to_string(i), "year",
                           "edited" + std::to_string(i)}));
  }
  // Listings meanwhile, from either folder, see the whole catalogue.
  for (int i = 0; i < 6; ++i)
    EXPECT_EQ(Names(all), RunIn(i % 2 == 0 ? "use" : "store", {"--list"}));
  for (auto& edit : edits) EXPECT_EQ("!ok!", edit.get().out);
  for (int i = 0; i < kRecords; ++i)
    EXPECT_EQ("edited" + std::to_string(i),
              RunIn("use", {"--get", "M" + std::to_string(i), "year"}))
        << i;
  EXPECT_EQ(Names(all), RunIn("store", {"--list"}));
  EXPECT_FALSE(FileExists(dir_.File("store/tmpfl")));
  EXPECT_FALSE(FileExists(dir_.File("store/tempout")));
}

}  // namespace
