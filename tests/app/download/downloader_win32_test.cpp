// The downloader's run on Windows, with the stand-in wget.exe (tests/site)
// writing its file as fast as it can: Windows has no file-size limit for a
// process, so the watch alone must stop it within 1 MiB of the limit.
#include "downloader.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <string>

#include "support/file_util.h"
#include "support/scoped_env.h"
#include "web_file_test.h"

namespace {

// A page's limit: the watch has the time it has in earnest to see a file
// that grows at a disk's pace coming.
const int64_t kLimit = 16 << 20;

int64_t SizeOf(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data;
  if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data)) {
    return -1;
  }
  return (static_cast<int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

class DownloaderLimitTest : public WebFileTest {
 protected:
  void SetUp() override {
    Write("routes.txt",
          "www.example.test/exact\t\tfill=16777216\n"
          "www.example.test/over\t\tfill=16777217\n"
          "www.example.test/flood\t\tflood\n");
  }

  DownloaderRun Run(const std::string& url) {
    DownloaderChoice choice;
    choice.sProgram = WindowsPath(STAND_IN_WGET_DIR) + "\\wget.exe";
    DownloaderLimits limits;
    limits.iTimeoutSeconds = 30;
    limits.sFile = "doc.out";
    limits.iMaxBytes = kLimit;
    return RunDownloader(
        choice, {"-O", "doc.out", "-o", "log", "--", url}, limits);
  }

  ScopedEnv root_{"FLORRIN_SITE_ROOT", dir_.path()};
};

TEST_F(DownloaderLimitTest, AFileIsStoppedWithin1MiBPastItsLimit) {
  const struct {
    const char* url;
    bool bTooLarge;
  } kCases[] = {
      {"http://www.example.test/exact", false},
      {"http://www.example.test/over", true},
      {"http://www.example.test/flood", true},
  };
  for (const auto& c : kCases) {
    std::remove(dir_.File("doc.out").c_str());
    const DownloaderRun run = Run(c.url);
    EXPECT_TRUE(run.bStarted) << c.url;
    EXPECT_FALSE(run.bTimedOut) << c.url;
    EXPECT_EQ(c.bTooLarge, run.bTooLarge) << c.url;
    const int64_t size = SizeOf(dir_.File("doc.out"));
    if (c.bTooLarge) {
      EXPECT_GT(size, kLimit) << c.url;
      EXPECT_LE(size, kLimit + (1 << 20)) << c.url;
      std::printf("%s: stopped at %lld bytes\n", c.url,
                  static_cast<long long>(size));
    } else {
      EXPECT_EQ(kLimit, size) << c.url;
    }
  }
}

}  // namespace
