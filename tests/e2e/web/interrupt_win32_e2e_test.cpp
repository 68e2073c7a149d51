// florrin.exe ended outright (TerminateProcess, where no handler of its own
// runs) while its downloader waits on the site: the downloader's job ends
// with it, and the next run removes the private folder it could not.
#include <windows.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <thread>

#include "service_e2e_fixture.h"

namespace {

using Files_ = std::vector<std::string>;

// Whether the process `pid` is gone within five seconds.
bool EndsSoon(unsigned long pid) {
  HANDLE process = OpenProcess(SYNCHRONIZE | PROCESS_TERMINATE, FALSE, pid);
  if (process == nullptr) return true;
  const bool bEnded = WaitForSingleObject(process, 5000) == WAIT_OBJECT_0;
  if (!bEnded) TerminateProcess(process, 1);  // leave nothing running
  CloseHandle(process);
  return bEnded;
}

class InterruptTest : public ServiceE2eTest {
 protected:
  std::vector<std::string> RunEnv() {
    return Env({"TMP=" + WindowsPath(tmp_.path()),
                "TEMP=" + WindowsPath(tmp_.path()),
                "FLORRIN_STAND_IN_PIDS=" + pids_});
  }

  TempDir tmp_;
  const std::string pids_ = home_.File("pids.txt");
};

TEST_F(InterruptTest, KilledOutrightTheDownloaderDiesAndTheNextRunSweeps) {
  std::unique_ptr<StartedProgram> run = StartProgram(
      FLORRIN_EXE, {"-ps", "Stalled"}, dir_.path(), RunEnvironment(RunEnv()));
  ASSERT_TRUE(run->started());
  // The stand-in notes itself and the child it started once it hangs.
  std::string pids;
  for (int i = 0; i < 3000; ++i) {
    pids = ReadFile(pids_);
    if (std::count(pids.begin(), pids.end(), '\n') == 2) break;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  ASSERT_EQ(2, std::count(pids.begin(), pids.end(), '\n')) << pids;
  run->Kill();
  EXPECT_EQ(128 + 9, run->Wait(kWatchdogSeconds).exit_code);
  const unsigned long downloader = std::strtoul(pids.c_str(), nullptr, 10);
  const unsigned long child =
      std::strtoul(pids.c_str() + pids.find('\n') + 1, nullptr, 10);
  EXPECT_TRUE(EndsSoon(downloader));
  EXPECT_TRUE(EndsSoon(child)) << "the downloader's child still runs";
  EXPECT_EQ(1u, FilesHolding(tmp_.path(), kToken).size());
  ExpectRun({"-ps", "Inception"}, InCodePage(kInceptionList), RunEnv());
  EXPECT_EQ(Files_{}, FilesHolding(tmp_.path(), kToken));
  EXPECT_TRUE(std::filesystem::is_empty(tmp_.path()));
}

}  // namespace
