// Which downloader florrin.exe runs on Windows: wget.exe from its own folder,
// then from the PATH; else curl.exe from the system folder, its own folder,
// then the PATH; never a program in the current folder (the catalogue's);
// FLORRIN_DOWNLOADER forces one. Each case copies florrin.exe into a folder
// of its own and stand-in downloaders (tests/site) where the case needs
// them; the stand-ins record where they ran from. The system folder is the
// one of the test's own Wine prefix, so these cases run alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/run_program.h"
#include "support/temp_dir.h"

namespace {

const char kTitle[] = "www.imdb.com/title/tt0100001/";

std::string SystemFolder() {
  char buf[MAX_PATH];
  const UINT n = GetSystemDirectoryA(buf, MAX_PATH);
  return std::string(buf, n);
}

bool Copy(const std::string& from, const std::string& to) {
  return CopyFileA(WindowsPath(from).c_str(), WindowsPath(to).c_str(), FALSE);
}

}  // namespace

class DownloaderChoiceTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* folder : {"app", "cwd", "path", "empty"}) {
      std::filesystem::create_directory(dir_.File(folder));
    }
    ASSERT_TRUE(Copy(FLORRIN_EXE, dir_.File("app/florrin.exe")));
    WriteFile(dir_.File("cwd/db"), "1.0.0-TALVERO_sTxtDB\r\n");
  }
  void TearDown() override {
    if (!systemCurl_.empty()) DeleteFileA(systemCurl_.c_str());
  }

  // Puts a stand-in downloader ("wget" or "curl") into `folder` ("app",
  // "cwd", "path").
  void Put(const std::string& downloader, const std::string& folder) {
    const std::string from = std::string(downloader == "wget"
                                             ? STAND_IN_WGET_DIR
                                             : STAND_IN_CURL_DIR) +
                             "/" + downloader + ".exe";
    ASSERT_TRUE(Copy(from, dir_.File(folder + "/" + downloader + ".exe")));
  }
  void PutCurlInTheSystemFolder() {
    systemCurl_ = SystemFolder() + "\\curl.exe";
    ASSERT_TRUE(Copy(std::string(STAND_IN_CURL_DIR) + "/curl.exe",
                     systemCurl_));
  }

  // Imports a title page with the copied florrin.exe, the PATH holding
  // `pathEntries` (";"-joined as given); returns its output.
  std::string Import(const std::string& pathEntries,
                     const std::vector<std::string>& extraEnv = {}) {
    std::vector<std::string> env = {
        "PATH=" + pathEntries,
        std::string("FLORRIN_SITE_ROOT=") + SITE_ROOT,
        "FLORRIN_STAND_IN_RAN=" + dir_.File("ran.txt"),
        "FLORRIN_DOWNLOADER"};
    env.insert(env.end(), extraEnv.begin(), extraEnv.end());
    const RunResult r =
        RunProgram(dir_.File("app/florrin.exe"),
                   {"-u", "Lights " + std::to_string(++imports_), kTitle},
                   dir_.File("cwd"), env, 60);
    EXPECT_EQ("", r.err);
    return r.out;
  }

  // The folders the downloaders ran from, one line each, e.g. "app\wget.exe".
  std::string Ran() {
    std::string ran;
    for (const std::string& line : Lines(ReadFile(dir_.File("ran.txt")))) {
      const size_t last = line.find_last_of('\\');
      const size_t before = line.find_last_of('\\', last - 1);
      std::string tail = line.substr(before + 1);
      for (char& c : tail) c = static_cast<char>(std::tolower(c));
      ran += tail + "\n";
    }
    return ran;
  }
  static std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos;
         start = nl + 1) {
      lines.push_back(text.substr(start, nl - start));
    }
    return lines;
  }
  std::string Path(const std::string& folder) {
    return WindowsPath(dir_.File(folder));
  }

  TempDir dir_;
  std::string systemCurl_;
  int imports_ = 0;
};

TEST_F(DownloaderChoiceTest, AWgetInTheCurrentFolderIsNeverRun) {
  Put("wget", "cwd");
  Put("curl", "cwd");
  // Nor through a PATH entry that names the current folder.
  EXPECT_EQ("!error! Connection error.",
            Import(".;;" + Path("empty") + ";cwd"));
  EXPECT_EQ("", Ran());
  Put("wget", "path");
  EXPECT_EQ("!ok!", Import(Path("path")));
  EXPECT_EQ("path\\wget.exe\npath\\wget.exe\n", Ran());
}

TEST_F(DownloaderChoiceTest, FlorrinsOwnFolderWinsOverThePath) {
  Put("wget", "app");
  Put("wget", "path");
  Put("curl", "path");
  EXPECT_EQ("!ok!", Import(Path("path")));
  EXPECT_EQ("app\\wget.exe\napp\\wget.exe\n", Ran());
}

TEST_F(DownloaderChoiceTest, CurlWhenThereIsNoWgetTheSystemsFirst) {
  Put("curl", "path");
  EXPECT_EQ("!ok!", Import(Path("path")));
  EXPECT_EQ("path\\curl.exe\npath\\curl.exe\n", Ran());

  std::filesystem::remove(dir_.File("ran.txt"));
  Put("curl", "app");
  EXPECT_EQ("!ok!", Import(Path("path")));
  EXPECT_EQ("app\\curl.exe\napp\\curl.exe\n", Ran());

  std::filesystem::remove(dir_.File("ran.txt"));
  PutCurlInTheSystemFolder();
  EXPECT_EQ("!ok!", Import(Path("path")));
  EXPECT_EQ("system32\\curl.exe\nsystem32\\curl.exe\n", Ran());
}

TEST_F(DownloaderChoiceTest, TheVariableForcesOneFoundByTheSameRules) {
  Put("wget", "app");
  Put("curl", "path");
  EXPECT_EQ("!ok!", Import(Path("path"), {"FLORRIN_DOWNLOADER=curl"}));
  EXPECT_EQ("path\\curl.exe\npath\\curl.exe\n", Ran());

  // A forced wget that is missing is not made up for by curl.
  std::filesystem::remove(dir_.File("app/wget.exe"));
  std::filesystem::remove(dir_.File("ran.txt"));
  Put("wget", "cwd");
  EXPECT_EQ("!error! Connection error.",
            Import(Path("path"), {"FLORRIN_DOWNLOADER=wget"}));
  EXPECT_EQ("", Ran());
}
