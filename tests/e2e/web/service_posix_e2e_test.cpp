// The movie service on POSIX systems only: XDG_CONFIG_HOME, and words in
// UTF-8 that no Windows code page holds.
#include <filesystem>

#include "service_e2e_fixture.h"

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
