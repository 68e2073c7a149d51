// The movie service on POSIX systems only: XDG_CONFIG_HOME.
#include <filesystem>

#include "service_e2e_fixture.h"

TEST_F(ServiceE2eTest, TheFileInXdgConfigHome) {
  std::filesystem::create_directories(home_.File("xdg/florrin"));
  WriteFile(home_.File("xdg/florrin/florrin.conf"),
            "tmdb-token = " + std::string(kToken) + "\n");
  ExpectRun({"-ps", "Inception"}, kInceptionList,
            Env({"XDG_CONFIG_HOME=" + home_.File("xdg")}, ""));
}
