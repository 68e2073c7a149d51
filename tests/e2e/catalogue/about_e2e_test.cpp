// What florrin says about itself, and that nothing else changed for a
// calling program: every other word still gets the parameter error.
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

const std::string kParameterError = Written("!err in parameters!\n");

class AboutTest : public FlorrinTest {
 protected:
  // Everything in the test's folder after the runs: nothing, or what the
  // test put there.
  void ExpectFolderUntouched() {
    EXPECT_FALSE(Exists("db.lock"));
    EXPECT_FALSE(Exists("tempout"));
    EXPECT_FALSE(Exists("tmpfl"));
  }
};

TEST_F(AboutTest, HelpAndHPrintTheSameUsageSummary) {
  const std::string help = Run({"--help"});
  EXPECT_EQ(help, Run({"-h"}));
  EXPECT_EQ(0u, help.find("usage: florrin ")) << help;
  EXPECT_EQ('\n', help.back());
  // It starts a new user off: how to make a catalogue comes first.
  EXPECT_LT(help.find("--new"), help.find("--list")) << help;
  // Every command word is in it.
  for (const char* word :
       {"-n,", "--new", "-l,", "--list", "-lbn,", "--listbyname", "--del", "--get", "--edit",
        "--add", "--change", "--printrec", "--filter", "--autoadd",
        "--urladd", "--printsearch", "--version"})
    EXPECT_NE(std::string::npos, help.find(word)) << word;
  // The movie service's attribution and how to set it up.
  EXPECT_NE(std::string::npos,
            help.find(Written("This product uses the TMDB API but is not "
                              "endorsed or certified by TMDB.\n")));
  for (const char* word : {"FLORRIN_TMDB_TOKEN", "florrin.conf", "FLORRIN_LOG"})
    EXPECT_NE(std::string::npos, help.find(word)) << word;
  ExpectFolderUntouched();
}

TEST_F(AboutTest, VersionPrintsNameAndVersion) {
  EXPECT_EQ(Written("florrin " FLORRIN_VERSION "\n"), Run({"--version"}));
  ExpectFolderUntouched();
}

TEST_F(AboutTest, TheseWordsWithArgumentsKeepTheParameterError) {
  EXPECT_EQ(kParameterError, Run({"--help", "x"}));
  EXPECT_EQ(kParameterError, Run({"-h", "x", "y"}));
  EXPECT_EQ(kParameterError, Run({"--version", "x"}));
  EXPECT_EQ(kParameterError, Run({"--version", "a", "b", "c"}));
}

TEST_F(AboutTest, NearMissesAndOtherWordsKeepTheParameterError) {
  for (const char* word :
       {"--Help", "--HELP", "-H", "-help", "--h", "help", "--version ",
        "--Version", "-v", "-V", "--vers", "-version", "--bogus", "-x", ""})
    EXPECT_EQ(kParameterError, Run({word})) << word;
  EXPECT_EQ(kParameterError, Run({}));
  ExpectFolderUntouched();
}

}  // namespace
