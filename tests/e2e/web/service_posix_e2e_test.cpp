// The movie service's credential on the downloader's command line and in
// the files a run leaves behind (POSIX: a wrapper script notes the
// downloader's arguments).
#include <cstdlib>
#include <filesystem>

#include "service_e2e_fixture.h"

namespace {

using Files_ = std::vector<std::string>;

// Every file under `folder` whose bytes hold `secret`.
std::vector<std::string> FilesHolding(const std::string& folder,
                                      const std::string& secret) {
  std::vector<std::string> found;
  for (const auto& e : std::filesystem::recursive_directory_iterator(folder)) {
    if (!e.is_regular_file()) continue;
    if (ReadFile(e.path().string()).find(secret) != std::string::npos)
      found.push_back(e.path().string());
  }
  return found;
}

// The real downloader's path from the PATH.
std::string FindOnPath(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string rest = path == nullptr ? "" : path;
  while (!rest.empty()) {
    const size_t colon = rest.find(':');
    const std::string dir = rest.substr(0, colon);
    rest = colon == std::string::npos ? "" : rest.substr(colon + 1);
    if (!dir.empty() && FileExists(dir + "/" + name)) return dir + "/" + name;
  }
  return "";
}

}  // namespace

TEST_F(ServiceE2eTest, TheSecretIsNeitherOnACommandLineNorInAnyFileLeftBehind) {
  const std::string wget = FindOnPath("wget");
  ASSERT_NE("", wget);
  // A wget before the real one that notes every argument it is given.
  TempDir bin, tmp;
  const std::string args = bin.File("args.log");
  WriteFile(bin.File("wget"), "#!/bin/sh\nprintf '%s\\n' \"$@\" >> '" + args +
                                  "'\nexec '" + wget + "' \"$@\"\n");
  std::filesystem::permissions(bin.File("wget"), std::filesystem::perms::owner_all);
  const std::string log = home_.File("florrin.log");
  const std::vector<std::string> env = {
      "PATH=" + bin.path() + ":" + std::getenv("PATH"), "TMPDIR=" + tmp.path(),
      "FLORRIN_LOG=" + log};
  for (const std::string& credential :
       {std::string("FLORRIN_TMDB_TOKEN=") + kToken, std::string("FLORRIN_TMDB_KEY=") + kKey}) {
    const std::string secret = credential.substr(credential.find('=') + 1);
    MakeDb();
    ExpectRun({"-ps", "Inception"}, kInceptionList, Env(env, credential));
    ExpectRun({"-t", "Inception"}, "!ok!", Env(env, credential));
    ExpectRun({"-u", "Dream", "tt1375666"}, "!ok!", Env(env, credential));
    ExpectRun({"-u", "X", "/movie/404404"}, "!error! Connection error.", Env(env, credential));
    // The address itself goes in a private file, so only the poster's shows.
    EXPECT_NE(std::string::npos, ReadFile(args).find("image.tmdb.test"))
        << "the downloader was not run";
    EXPECT_EQ(std::string::npos, ReadFile(args).find(secret)) << ReadFile(args);
    EXPECT_EQ(Files_{}, FilesHolding(dir_.path(), secret));
    EXPECT_EQ(Files_{}, FilesHolding(home_.path(), secret));
    EXPECT_TRUE(std::filesystem::is_empty(tmp.path()));
    std::filesystem::remove(args);
    std::filesystem::remove(dir_.File("Inception.jpg"));
    std::filesystem::remove(dir_.File("Dream.jpg"));
  }
}

TEST_F(ServiceE2eTest, TheFileInXdgConfigHomeAndWordsOutsideAnyCodePage) {
  MakeDb();
  std::filesystem::create_directories(home_.File("xdg/florrin"));
  WriteFile(home_.File("xdg/florrin/florrin.conf"),
            "tmdb-token = " + std::string(kToken) + "\n");
  ExpectRun({"-ps", "Am\xC3\xA9lie \xE2\x98\x83"},
            "Line break (?\?\?\?) | /movie/31 ||  (1999) | /movie/32 || "
            "Am\xC3\xA9lie \xE2\x80\x93 \xE2\x98\x83 (2001) | /movie/33 || ",
            Env({"XDG_CONFIG_HOME=" + home_.File("xdg")}, ""));
  EXPECT_EQ(Api("search/movie?query=Am\xC3\xA9lie \xE2\x98\x83&include_adult=false&language=en-US"),
            Requests().back());
}
