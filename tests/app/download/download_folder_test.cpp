// The private folder of a download: named by its owner's process id, the
// user's alone, gone with everything in it; and the sweep that removes
// those whose run was killed before it could.
#include "download-folder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/scoped_env.h"
#include "support/temp_dir.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

#ifdef _WIN32
unsigned long OwnPid() { return GetCurrentProcessId(); }

// The id of a process that has come and gone: this test program, run to
// list its tests.
unsigned long GonePid() {
  wchar_t self[MAX_PATH];
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring cmd = L"\"" + std::wstring(self) + L"\" --gtest_list_tests";
  STARTUPINFOW si{};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi{};
  if (!CreateProcessW(self, &cmd[0], nullptr, nullptr, FALSE,
                      CREATE_NO_WINDOW, nullptr, nullptr, &si, &pi)) {
    return 0;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  CloseHandle(pi.hThread);
  CloseHandle(pi.hProcess);
  return pi.dwProcessId;
}
#else
unsigned long OwnPid() { return static_cast<unsigned long>(getpid()); }

unsigned long GonePid() {
  const pid_t pid = fork();
  if (pid == 0) _exit(0);
  waitpid(pid, nullptr, 0);
  return static_cast<unsigned long>(pid);
}
#endif

class DownloadFolderTest : public ::testing::Test {
 protected:
  std::string Tmp(const std::string& name) { return tmp_.File(name); }

  TempDir tmp_;
  ScopedEnv tmpdir_{"TMPDIR", tmp_.path()};
  ScopedEnv tmpWin_{"TMP", WindowsPath(tmp_.path())};
  ScopedEnv tempWin_{"TEMP", WindowsPath(tmp_.path())};
};

TEST_F(DownloadFolderTest, ItNotesItsOwnerAndGoesWithEverythingInIt) {
  fs::path folder;
  {
    DownloadFolder download;
    ASSERT_TRUE(download.ok());
    folder = fs::path(download.File("settings")).parent_path();
    ASSERT_TRUE(download.Write("settings", "header = secret\n"));
    WriteFile(download.File("log"), "what the downloader wrote");
    EXPECT_EQ("florrin-" + std::to_string(OwnPid()) + "-",
              folder.filename().string().substr(
                  0, 9 + std::to_string(OwnPid()).size()));
    EXPECT_TRUE(fs::equivalent(tmp_.path(), folder.parent_path()));
#ifndef _WIN32
    struct stat st;
    ASSERT_EQ(0, stat(folder.string().c_str(), &st));
    EXPECT_EQ(0700u, st.st_mode & 0777u);
#endif
  }
  EXPECT_FALSE(fs::exists(folder));
  EXPECT_TRUE(fs::is_empty(tmp_.path()));
}

TEST_F(DownloadFolderTest, TheSweepRemovesOnlyFoldersWhoseRunIsGone) {
  const std::string gone = std::to_string(GonePid());
  const std::string own = std::to_string(OwnPid());
  ASSERT_NE("0", gone);
  const struct {
    std::string name;
    bool bFolder;
    bool bRemoved;
  } kCases[] = {
      {"florrin-" + gone + "-a1B2c3", true, true},
      {"florrin-" + gone + "-17-3", true, true},
      {"florrin-" + own + "-a1B2c3", true, false},  // its run goes on
      {"florrin-a1B2c3", true, false},  // an older name: no owner noted
      {"florrin-" + gone, true, false},
      {"florrin-" + gone + "-", true, false},
      {"florrin--a1B2c3", true, false},
      {"other-" + gone + "-a1B2c3", true, false},
      {"florrin-" + gone + "-file", false, false},
  };
  for (const auto& c : kCases) {
    if (c.bFolder) {
      fs::create_directory(Tmp(c.name));
      WriteFile(Tmp(c.name + "/wgetrc"), "header = Authorization: Bearer x\n");
      WriteFile(Tmp(c.name + "/log"), "log");
    } else {
      WriteFile(Tmp(c.name), "a file");
    }
  }
  SweepStaleDownloadFolders();
  for (const auto& c : kCases) {
    EXPECT_EQ(c.bRemoved, !fs::exists(Tmp(c.name))) << c.name;
  }
}

#ifndef _WIN32
TEST_F(DownloadFolderTest, TheSweepLeavesLinksAndOtherUsersFoldersAlone) {
  const std::string gone = std::to_string(GonePid());
  // A link of that name: neither it nor the folder it names is touched.
  fs::create_directory(Tmp("target"));
  WriteFile(Tmp("target/keep"), "kept");
  fs::create_directory_symlink(Tmp("target"), Tmp("florrin-" + gone + "-link"));
  // Another user's folder (only root can make one to test with).
  const std::string theirs = Tmp("florrin-" + gone + "-theirs");
  fs::create_directory(theirs);
  const bool bOther = geteuid() == 0 && chown(theirs.c_str(), 65534, 65534) == 0;
  SweepStaleDownloadFolders();
  EXPECT_TRUE(fs::is_symlink(Tmp("florrin-" + gone + "-link")));
  EXPECT_EQ("kept", ReadFile(Tmp("target/keep")));
  if (bOther) {
    EXPECT_TRUE(fs::exists(theirs));
  }
}
#endif

}  // namespace
