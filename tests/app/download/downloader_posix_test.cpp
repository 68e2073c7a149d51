// The downloader's run on POSIX systems, with shell scripts in its place:
// the size limit on its file, exact whatever the writer does, and the end
// of whatever it started.
#include "downloader.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "support/file_util.h"
#include "support/scoped_env.h"
#include "web_file_test.h"

namespace {

const int64_t kLimit = 1 << 20;

// The size of `path`, -1 when there is none.
int64_t SizeOf(const std::string& path) {
  struct stat st;
  return stat(path.c_str(), &st) == 0 ? static_cast<int64_t>(st.st_size) : -1;
}

class DownloaderLimitTest : public WebFileTest {
 protected:
  // Runs `script` as the downloader, its file "doc.out" as "$1".
  DownloaderRun Run(const std::string& script, int iTimeoutSeconds = 20) {
    DownloaderChoice choice;
    choice.sProgram = "/bin/sh";
    DownloaderLimits limits;
    limits.iTimeoutSeconds = iTimeoutSeconds;
    limits.sFile = "doc.out";
    limits.iMaxBytes = kLimit;
    return RunDownloader(choice, {"-c", script, "sh", "doc.out"}, limits);
  }
};

TEST_F(DownloaderLimitTest, AFileNeverGrowsPastItsLimitByMoreThanOneByte) {
  const struct {
    const char* what;
    std::string script;
    bool bTooLarge;
    int64_t size;
  } kCases[] = {
      {"the limit exactly", "head -c 1048576 /dev/zero > \"$1\"", false,
       kLimit},
      {"one byte more", "head -c 1048577 /dev/zero > \"$1\"", true,
       kLimit + 1},
      {"without end", "exec /usr/bin/yes > \"$1\"", true, kLimit + 1},
      {"lifting its limit first",
       "ulimit -f unlimited 2>/dev/null; exec /usr/bin/yes > \"$1\"", true,
       kLimit + 1},
      {"a child of its own", "/usr/bin/yes > \"$1\" & wait", true, kLimit + 1},
      {"appending in steps",
       "while :; do head -c 100000 /dev/zero >> \"$1\" || exit 3; done", true,
       kLimit + 1},
  };
  for (const auto& c : kCases) {
    std::remove(dir_.File("doc.out").c_str());
    const DownloaderRun run = Run(c.script);
    EXPECT_TRUE(run.bStarted) << c.what;
    EXPECT_FALSE(run.bTimedOut) << c.what;
    EXPECT_EQ(c.bTooLarge, run.bTooLarge) << c.what;
    EXPECT_EQ(c.size, SizeOf(dir_.File("doc.out"))) << c.what;
  }
}

TEST_F(DownloaderLimitTest, AUsersOwnSmallerFileSizeLimitStays) {
  // The limit is only ever lowered: one that Florrin was started with
  // holds for the downloader too.
  struct rlimit old;
  ASSERT_EQ(0, getrlimit(RLIMIT_FSIZE, &old));
  struct rlimit small = old;
  small.rlim_cur = 4096;
  ASSERT_EQ(0, setrlimit(RLIMIT_FSIZE, &small));
  const DownloaderRun run = Run("exec /usr/bin/yes > \"$1\"");
  setrlimit(RLIMIT_FSIZE, &old);
  EXPECT_FALSE(run.bTooLarge);
  EXPECT_NE(0, run.iExitStatus);
  EXPECT_EQ(4096, SizeOf(dir_.File("doc.out")));
}

TEST_F(DownloaderLimitTest, TheCurrentFolderIsNeverSearchedForTheProgram) {
  // A program of the downloader's name in the catalogue's folder, and a
  // PATH that names that folder only by relative and empty entries.
  Write("fake-downloader", "#!/bin/sh\ntouch ran\n");
  chmod(dir_.File("fake-downloader").c_str(), 0755);
  ScopedEnv path("PATH", ".::fake");
  DownloaderChoice choice;
  choice.sProgram = "fake-downloader";
  const DownloaderRun run = RunDownloader(choice, {}, DownloaderLimits());
  EXPECT_EQ(127, run.iExitStatus);
  EXPECT_FALSE(Exists("ran"));
}

}  // namespace
