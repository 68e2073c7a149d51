// End-to-end fixture for the web commands: the built florrin runs in a fresh
// temporary folder, its downloader reaching the local test site.
#ifndef FLORRIN_TESTS_E2E_WEB_WEB_E2E_FIXTURE_H_
#define FLORRIN_TESTS_E2E_WEB_WEB_E2E_FIXTURE_H_

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include "local_site.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/run_program.h"
#include "support/temp_dir.h"
#include "support/user_settings.h"

class WebE2eTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    logDir_ = new TempDir;
    site_ = new LocalSite;
    std::string error;
    if (!site_->Start(SITE_ROOT, logDir_->File("requests.log"), &error)) {
      startError_ = error;
    }
  }
  static void TearDownTestSuite() {
    delete site_;
    delete logDir_;
    site_ = nullptr;
    logDir_ = nullptr;
  }
  void SetUp() override {
    ASSERT_EQ("", startError_) << "the local site did not start";
    site_->ClearRequests();
  }

  // A catalogue holding only the store header line.
  void MakeDb() { WriteFile(dir_.File("db"), kHeader); }

  // Runs florrin with the site as its downloader's proxy, a home folder of
  // the test's own (so no user's wgetrc or florrin.conf applies unless a test
  // writes one), none of the user's movie-service settings,
  // the default download time limit, and the entries of `env` on top (as
  // RunProgram takes them). A run that outlasts `kWatchdogSeconds` is killed.
  RunResult Run(const std::vector<std::string>& args,
                const std::vector<std::string>& env = {}) {
    return RunProgram(FLORRIN_EXE, args, dir_.path(), RunEnvironment(env),
                      kWatchdogSeconds);
  }

  // The environment entries Run gives florrin, `env` on top (as RunProgram
  // takes them).
  std::vector<std::string> RunEnvironment(const std::vector<std::string>& env) {
    std::vector<std::string> all = site_->DownloaderEnvironment();
    for (const std::string& e : WithoutUserSettings(home_.path()))
      all.push_back(e);
    all.push_back("WGETRC");
    all.push_back("FLORRIN_DOWNLOAD_TIMEOUT");
    all.insert(all.end(), env.begin(), env.end());
    return all;
  }

  // Runs florrin and checks the parts every run shares: the exact output,
  // nothing on standard error, exit status 0, and no downloader log left.
  void ExpectRun(const std::vector<std::string>& args, const std::string& out,
                 const std::vector<std::string>& env = {}) {
    const RunResult r = Run(args, env);
    EXPECT_FALSE(r.timed_out) << "still running after " << kWatchdogSeconds
                              << " s";
    EXPECT_EQ(out, r.out);
    EXPECT_EQ("", r.err);
    EXPECT_EQ(0, r.exit_code);
    EXPECT_FALSE(Exists("tempout"));
  }

  // Writes the downloader's per-user settings file in the test's home.
  void WriteWgetrc(const std::string& text) {
    WriteFile(home_.File(".wgetrc"), text);
  }

  std::string Db() { return ReadFile(dir_.File("db")); }
  std::string Read(const std::string& name) {
    return ReadFile(dir_.File(name));
  }
  bool Exists(const std::string& name) { return FileExists(dir_.File(name)); }
  void Write(const std::string& name, const std::string& bytes) {
    WriteFile(dir_.File(name), bytes);
  }

  // A fixture file of the site, byte for byte.
  static std::string Fixture(const std::string& name) {
    return ReadFile(std::string(SITE_ROOT) + "/" + name);
  }

  // The names in the test's folder, sorted; the catalogue's lock file, which
  // belongs to the dispatcher, is left out.
  std::vector<std::string> Files() {
    std::vector<std::string> names;
    for (const auto& e : std::filesystem::directory_iterator(dir_.path())) {
      const std::string name = e.path().filename().string();
      if (name != "db.lock") names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }

  std::vector<std::string> Requests() { return site_->Requests(); }
  void ClearRequests() { site_->ClearRequests(); }

  // The bytes that adding a movie record appends to the catalogue (its lines
  // end in the system's line end); `ids` holds the id lines after the
  // eleven fields, each after its "\n".
  static std::string Record(const std::string& name,
                            const std::vector<std::string>& values,
                            const std::string& ids = "") {
    static const char* const kKeys[] = {
        "plot",     "tagline", "rate", "year", "director", "runtime",
        "comments", "pic",     "Act",  "Genre", "Type"};
    std::string bytes = "\n\n[" + name + "]";
    for (size_t i = 0; i < values.size(); ++i) {
      bytes += std::string("\n") + kKeys[i] + "=" + values[i];
    }
    return Written(bytes + ids);
  }

  // The records of the fixture's title pages, under the name `name` and with
  // the pic field `pic`.
  static std::string HarbourLights(const std::string& name,
                                   const std::string& pic) {
    return Record(name, {"The keeper of the old lighthouse finds a logbookthat"
                         " names every ship the town ever sank. ",
                         " Every light in the harbour hides a ship. ",
                         "7.4/10", "1987", "Ada Quell", "112 min", "", pic,
                         " - Tomas Brell - The Keeper - Lena Hart",
                         " - Drama -  - Mystery", ""});
  }
  static std::string GlassOrchard(const std::string& name,
                                  const std::string& pic) {
    return Record(name, {"An orchard of glass trees grows one fruit a year.",
                         "", "6.1/10", "I) (", "Mira Solt", "94 min", "", pic,
                         " - Oda Wren - The Gardener", " - Fantasy - Romance",
                         ""});
  }
  static std::string QuietField(const std::string& name) {
    return Record(name, {"Nothing happens in a field, beautifully. ", "", "",
                         "1999", "Pavel Dorn", "81 min", "", "", "", "", ""});
  }

  static constexpr const char* kHeader = "1.0.0-TALVERO_sTxtDB\n";
  static constexpr int kWatchdogSeconds = 30;

  TempDir dir_;
  TempDir home_;

 private:
  static inline LocalSite* site_ = nullptr;
  static inline TempDir* logDir_ = nullptr;
  static inline std::string startError_;
};

#endif  // FLORRIN_TESTS_E2E_WEB_WEB_E2E_FIXTURE_H_
