// The page fetcher on Windows, with the stand-in wget.exe (tests/site) first
// on the PATH: the exact argument list whatever characters the address and
// file name hold (no command interpreter in between, quoting for the C
// runtime's parser), the environment, nothing leaking onto Florrin's output,
// and the log-based verdict with its clean-up.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "imdb-search.h"
#include "support/file_util.h"
#include "support/scoped_env.h"
#include "web_file_test.h"

class WgetTest : public WebFileTest {
 protected:
  // Runs the fetcher with only the stand-in's folder on the PATH, capturing
  // what reaches this process's standard output and error.
  bool Fetch(const sString& url, const sString& file) {
    ScopedEnv path("PATH", WindowsPath(STAND_IN_WGET_DIR));
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool ok = wget(url, file);
    leaked_ = testing::internal::GetCapturedStdout() +
              testing::internal::GetCapturedStderr();
    return ok;
  }

  // The argument lists the stand-in received, each argument followed by
  // "\n" and each list by one more "\n".
  std::string Args() { return ReadFile(dir_.File("args.txt")); }
  static std::string ArgList(const std::string& url, const std::string& file) {
    return "--verbose\n--no-quiet\n--timeout=60\n--tries=1\n-O\n" + file +
           "\n-o\ntempout\n--\n" + url + "\n\n";
  }
  static std::string Fixture(const std::string& name) {
    return ReadFile(std::string(SITE_ROOT) + "/" + name);
  }

  std::string leaked_;
  ScopedEnv root_{"FLORRIN_SITE_ROOT", SITE_ROOT};
  ScopedEnv args_{"FLORRIN_WGET_ARGS", dir_.File("args.txt").c_str()};
  ScopedEnv env_{"FLORRIN_WGET_ENV", dir_.File("env.txt").c_str()};
  ScopedEnv lcAll_{"LC_ALL", "de_DE.UTF-8"};
  ScopedEnv language_{"LANGUAGE", "de:fr"};
  ScopedEnv limit_{"FLORRIN_DOWNLOAD_TIMEOUT", nullptr};
  ScopedEnv downloader_{"FLORRIN_DOWNLOADER", nullptr};  // wget, as the default
};

TEST_F(WgetTest, SuccessKeepsTheDocumentAndRemovesTheLog) {
  EXPECT_TRUE(Fetch("http://www.imdb.com/title/tt0100001/", "page.htm"));
  EXPECT_EQ(Fixture("title/tt0100001.htm"), ReadFile(dir_.File("page.htm")));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_EQ("", leaked_);
}

TEST_F(WgetTest, ExactArgumentsAndCLocaleWithoutLanguage) {
  Fetch("www.imdb.com/title/tt0100002/", "page.htm");
  EXPECT_EQ(ArgList("www.imdb.com/title/tt0100002/", "page.htm"), Args());
  EXPECT_EQ("LC_ALL=C LANGUAGE=unset\n", ReadFile(dir_.File("env.txt")));
}

TEST_F(WgetTest, TheServicesVariablesStayOutOfTheDownloadersEnvironment) {
  const struct {
    const char* name;
    bool bPassed;
  } kVariables[] = {
      {"FLORRIN_TMDB_TOKEN", false}, {"FLORRIN_TMDB_KEY", false},
      {"FLORRIN_TMDB_API", false},   {"FLORRIN_TMDB_IMAGES", false},
      {"florrin_tmdb_key2", false},  // Windows names ignore case
      {"FLORRIN_LANGUAGE", true},    {"FLORRIN_TMDB", true},
      {"XFLORRIN_TMDB_KEY", true},
  };
  std::vector<std::unique_ptr<ScopedEnv>> set;
  for (const auto& v : kVariables) {
    set.push_back(std::make_unique<ScopedEnv>(
        v.name, std::string("value-of-") + v.name));
  }
  ScopedEnv record("FLORRIN_STAND_IN_ENV", dir_.File("fullenv.txt"));
  EXPECT_TRUE(Fetch("http://www.imdb.com/title/tt0100001/", "page.htm"));
  const std::string env = "\n" + ReadFile(dir_.File("fullenv.txt"));
  for (const auto& v : kVariables) {
    // The environment block keeps a name's case as it was set.
    const std::string entry =
        "\n" + std::string(v.name) + "=value-of-" + v.name + "\n";
    EXPECT_EQ(v.bPassed, env.find(entry) != std::string::npos) << v.name;
  }
  EXPECT_NE(std::string::npos, env.find("\nFLORRIN_SITE_ROOT=")) << env;
}

TEST_F(WgetTest, EveryCharacterOfTheAddressArrivesAsGiven) {
  // Quotes and backslashes in every position the C runtime's parser treats
  // specially, and what a command interpreter would act on.
  const char* const kAddresses[] = {
      "www.imdb.com/a\"b",       "www.imdb.com/a\\b",
      "www.imdb.com/a\\\"b",     "www.imdb.com/a\\\\\"b",
      "www.imdb.com/trail\\",    "www.imdb.com/trail\\\\",
      "www.imdb.com/\"",         "www.imdb.com/sp ace  two",
      "www.imdb.com/%PATH%",     "www.imdb.com/^&|<>()!",
      "\"www.imdb.com/q\" -O x", "www.imdb.com/end \\\"\\",
      "www.imdb.com/ -- -O y"};
  std::string expected;
  for (const char* url : kAddresses) {
    EXPECT_FALSE(Fetch(url, "page.htm")) << url;
    expected += ArgList(url, "page.htm");
  }
  EXPECT_EQ(expected, Args());
  EXPECT_FALSE(Exists("x"));
  EXPECT_EQ("", leaked_);
}

TEST_F(WgetTest, FileNamesWithSpacesPercentCaretAndAmpersandAreKept) {
  const std::string file = "a b %PATH% ^& c!.jpg";
  EXPECT_TRUE(Fetch("http://www.imdb.com/posters/tt0100002.jpg", file));
  EXPECT_EQ(Fixture("posters/tt0100002.jpg"), ReadFile(dir_.File(file)));
  EXPECT_EQ(ArgList("http://www.imdb.com/posters/tt0100002.jpg", file), Args());
}

// --- error paths ---

TEST_F(WgetTest, NotFoundRemovesDocumentAndLog) {
  EXPECT_FALSE(Fetch("http://www.imdb.com/title/tt0100005/", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_EQ("", leaked_);
}

TEST_F(WgetTest, UnknownHostIsAFailure) {
  EXPECT_FALSE(Fetch("http://nowhere.invalid/", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
}

TEST_F(WgetTest, MissingDownloaderIsAFailureAndRemovesTheTarget) {
  Write("page.htm", "older copy");
  // A log left over from an earlier run does not count for this download.
  Write("tempout", "200 OK\n'page.htm' saved [4/4]\n");
  ScopedEnv path("PATH", dir_.File("no-such-folder").c_str());
  EXPECT_FALSE(wget("http://www.imdb.com/title/tt0100001/", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_FALSE(Exists("args.txt"));
}
