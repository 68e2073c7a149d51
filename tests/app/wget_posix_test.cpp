// The page fetcher with a stand-in downloader on the PATH: exact argument
// list, environment, no shell in between, nothing leaking onto Florrin's
// output, and the log-based verdict with its clean-up.
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <string>

#include "imdb-search.h"
#include "web_file_test.h"

namespace {

// Records its arguments and locale variables, makes noise on its standard
// streams, and "downloads" when the address holds "ok".
const char kFakeWget[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > args.txt\n"
    "printf 'LC_ALL=%s LANGUAGE=%s PROXY=%s\\n' \"${LC_ALL-unset}\" "
    "\"${LANGUAGE-unset}\" \"${http_proxy-unset}\" > env.txt\n"
    "echo 'noise on stdout'; echo 'noise on stderr' >&2\n"
    "if read line; then echo \"stdin: $line\" >> env.txt; fi\n"
    "case \"$1\" in\n"
    "  *ok*) printf 'body' > \"$3\"\n"
    "        printf 'HTTP request sent... 200 OK\\n'\"'\"'%s'\"'\"' saved [4/4]\\n'"
    " \"$3\" > \"$5\" ;;\n"
    "  *) printf 'partial' > \"$3\"; printf 'ERROR 404: Not Found.\\n' > "
    "\"$5\" ;;\n"
    "esac\n";

// Sets an environment variable for the object's lifetime.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    const char* old = getenv(name);
    had_ = old != nullptr;
    if (had_) old_ = old;
    if (value) setenv(name, value, 1); else unsetenv(name);
  }
  ~ScopedEnv() {
    if (had_) setenv(name_.c_str(), old_.c_str(), 1);
    else unsetenv(name_.c_str());
  }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_, old_;
  bool had_ = false;
};

}  // namespace

class WgetTest : public WebFileTest {
 protected:
  void SetUp() override {
    mkdir(dir_.File("bin").c_str(), 0755);
    Write("bin/wget", kFakeWget);
    chmod(dir_.File("bin/wget").c_str(), 0755);
  }

  // Runs the fetcher with only the stand-in's folder on the PATH, capturing
  // what reaches this process's standard output and error.
  bool Fetch(const sString& url, const sString& file) {
    ScopedEnv path("PATH", dir_.File("bin").c_str());
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const bool ok = wget(url, file);
    leaked_ = testing::internal::GetCapturedStdout() +
              testing::internal::GetCapturedStderr();
    return ok;
  }

  std::string leaked_;
  ScopedEnv lcAll_{"LC_ALL", "de_DE.UTF-8"};
  ScopedEnv language_{"LANGUAGE", "de:fr"};
  ScopedEnv proxy_{"http_proxy", "http://127.0.0.1:9"};
};

TEST_F(WgetTest, SuccessKeepsTheDocumentAndRemovesTheLog) {
  EXPECT_TRUE(Fetch("http://h/ok", "page.htm"));
  EXPECT_EQ("body", ReadFile(dir_.File("page.htm")));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_EQ("", leaked_);
}

TEST_F(WgetTest, ExactArgumentsAndCLocaleOtherwiseInheritedEnvironment) {
  Fetch("http://h/ok", "page.htm");
  EXPECT_EQ("http://h/ok\n-O\npage.htm\n-o\ntempout\n",
            ReadFile(dir_.File("args.txt")));
  // No LANGUAGE, LC_ALL forced, the user's proxy kept, empty standard input.
  EXPECT_EQ("LC_ALL=C LANGUAGE=unset PROXY=http://127.0.0.1:9\n",
            ReadFile(dir_.File("env.txt")));
}

TEST_F(WgetTest, ShellCharactersArePassedAsPlainText) {
  const sString url = "http://h/ok\"; touch pwned; echo $(touch pwned2) `x`";
  const sString file = "a \"b\" $(touch pwned3); c.jpg";
  EXPECT_TRUE(Fetch(url, file));
  EXPECT_EQ(url + "\n-O\n" + file + "\n-o\ntempout\n",
            ReadFile(dir_.File("args.txt")));
  EXPECT_EQ("body", ReadFile(dir_.File(file)));
  EXPECT_FALSE(Exists("pwned"));
  EXPECT_FALSE(Exists("pwned2"));
  EXPECT_FALSE(Exists("pwned3"));
}

TEST_F(WgetTest, CallerIgnoringChildSignalsStillGetsTheLogJudged) {
  // With SIGCHLD ignored (inherited from the calling program), the system
  // reaps the downloader itself and the wait reports no child.
  struct sigaction ignore {}, old {};
  ignore.sa_handler = SIG_IGN;
  sigaction(SIGCHLD, &ignore, &old);
  const bool ok = Fetch("http://h/ok", "page.htm");
  sigaction(SIGCHLD, &old, nullptr);
  EXPECT_TRUE(ok);
  EXPECT_EQ("body", ReadFile(dir_.File("page.htm")));
  EXPECT_FALSE(Exists("tempout"));
}

// --- error paths ---

TEST_F(WgetTest, FailedDownloadRemovesDocumentAndLog) {
  EXPECT_FALSE(Fetch("http://h/missing", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_EQ("", leaked_);
}

TEST_F(WgetTest, MissingDownloaderIsAFailureAndRemovesTheTarget) {
  remove(dir_.File("bin/wget").c_str());
  Write("page.htm", "older copy");
  // A log left over from an earlier run does not count for this download.
  Write("tempout", "200 OK\n'page.htm' saved [4/4]\n");
  EXPECT_FALSE(Fetch("http://h/ok", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_EQ("", leaked_);
}
