// Florrin ended while its downloader waits on the site: by the signals a
// caller ends a program with (it ends the downloader, removes the private
// folder and the partial file, and ends as the signal asks), by SIGKILL
// (the downloader dies with it, and the next run sweeps the private folder
// it could not remove), and with SIGINT ignored from its start.
#include <signal.h>

#include <algorithm>
#include <chrono>
#include <memory>
#include <thread>

#include "processes_posix.h"
#include "service_e2e_fixture.h"

namespace {

using Files_ = std::vector<std::string>;

const char kStalledSearch[] =
    "api.tmdb.test/3/search/movie?query=Stalled&include_adult=false"
    "&language=en-US";
const char kDrippedPage[] = "www.imdb.com/drip/title/tt0100001/";

class InterruptTest : public ServiceE2eTest {
 protected:
  // The run's environment: the service with the token (or the site, with
  // `bService` false), and the private folders in a temporary folder of
  // the test's own.
  std::vector<std::string> RunEnv(bool bService = true) {
    return Env({"TMPDIR=" + tmp_.path()},
               bService ? std::string("FLORRIN_TMDB_TOKEN=") + kToken : "");
  }

  // Starts florrin with `args` (through `shell`, a /bin/sh command that
  // execs "$0" "$@", when given) and waits until the site has seen
  // `request` and, when named, `partial` exists in the catalogue folder: the
  // downloader is then under way, its private files made.
  std::unique_ptr<StartedProgram> StartAndWait(
      const std::vector<std::string>& args, const std::string& request,
      const std::string& partial = "", const std::string& shell = "",
      bool bService = true) {
    const std::vector<std::string> env = RunEnvironment(RunEnv(bService));
    std::unique_ptr<StartedProgram> run;
    if (shell.empty()) {
      run = StartProgram(FLORRIN_EXE, args, dir_.path(), env);
    } else {
      std::vector<std::string> all = {"-c", shell, FLORRIN_EXE};
      all.insert(all.end(), args.begin(), args.end());
      run = StartProgram("/bin/sh", all, dir_.path(), env);
    }
    for (int i = 0; i < 1000; ++i) {
      const Files_ seen = Requests();
      const bool bAsked =
          std::find(seen.begin(), seen.end(), request) != seen.end();
      if (bAsked && (partial.empty() || Exists(partial))) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    return run;
  }

  // Whether process `pid` is still there and not a zombie.
  static bool Alive(long pid) {
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    return paren != std::string::npos && paren + 2 < stat.size() &&
           stat[paren + 2] != 'Z';
  }

  TempDir tmp_;
};

TEST_F(InterruptTest, EndingSignalsLeaveNoSecretNoPartialFileAndNoDownloader) {
  const struct {
    const char* what;
    std::vector<std::string> args;
    const char* request;
    const char* partial;
    bool bService;
  } kCases[] = {
      {"a service request", {"-ps", "Stalled"}, kStalledSearch, "", true},
      {"a title page", {"-u", "Harbour", kDrippedPage}, kDrippedPage,
       "imbd-movie.htm", false},
  };
  for (const auto& c : kCases) {
    for (const int sig : {SIGINT, SIGTERM, SIGHUP}) {
      const std::string what = std::string(c.what) + ", signal " +
                               std::to_string(sig);
      MakeDb();
      ClearRequests();
      std::unique_ptr<StartedProgram> run =
          StartAndWait(c.args, c.request, c.partial, "", c.bService);
      ASSERT_TRUE(run->started()) << what;
      EXPECT_EQ(Files_{c.request}, Requests()) << what;
      run->Signal(sig);
      const RunResult r = run->Wait(kWatchdogSeconds);
      EXPECT_FALSE(r.timed_out) << what;
      // Ended by the very signal, as a program without a handler would be.
      EXPECT_EQ(128 + sig, r.exit_code) << what;
      EXPECT_EQ("", r.out) << what;
      EXPECT_EQ("", r.err) << what;
      EXPECT_EQ(Files_{}, ProcessesStillWorkingIn(dir_.path())) << what;
      EXPECT_EQ(Files_{}, FilesHolding(tmp_.path(), kToken)) << what;
      EXPECT_TRUE(std::filesystem::is_empty(tmp_.path())) << what;
      EXPECT_EQ((Files_{"db"}), Files()) << what;
      EXPECT_EQ(kHeader, Db()) << what;
    }
  }
}

TEST_F(InterruptTest, KilledOutrightTheDownloaderDiesAndTheNextRunSweeps) {
  std::unique_ptr<StartedProgram> run =
      StartAndWait({"-ps", "Stalled"}, kStalledSearch);
  ASSERT_TRUE(run->started());
  run->Kill();
  EXPECT_EQ(128 + SIGKILL, run->Wait(kWatchdogSeconds).exit_code);
  // Nothing could run in florrin; its downloader died with it.
  EXPECT_EQ(Files_{}, ProcessesStillWorkingIn(dir_.path()));
  EXPECT_EQ(1u, FilesHolding(tmp_.path(), kToken).size());
  // The next run that downloads removes what the killed one left.
  ExpectRun({"-ps", "Inception"}, InCodePage(kInceptionList), RunEnv());
  EXPECT_EQ(Files_{}, FilesHolding(tmp_.path(), kToken));
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.path()));
}

TEST_F(InterruptTest, AnInterruptIgnoredFromTheStartStaysIgnored) {
  // As a shell starts a program in the background: SIGINT ignored.
  std::unique_ptr<StartedProgram> run = StartAndWait(
      {"-ps", "Stalled"}, kStalledSearch, "", "trap '' INT; exec \"$0\" \"$@\"");
  ASSERT_TRUE(run->started());
  run->Signal(SIGINT);
  std::this_thread::sleep_for(std::chrono::milliseconds(300));
  EXPECT_TRUE(Alive(run->pid()));
  EXPECT_EQ(1u, FilesHolding(tmp_.path(), kToken).size());
  run->Signal(SIGTERM);
  EXPECT_EQ(128 + SIGTERM, run->Wait(kWatchdogSeconds).exit_code);
  EXPECT_EQ(Files_{}, ProcessesStillWorkingIn(dir_.path()));
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.path()));
}

}  // namespace
