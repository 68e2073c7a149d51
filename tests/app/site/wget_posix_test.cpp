// The page fetcher with a stand-in downloader on the PATH: exact argument
// list, environment, no shell in between, nothing leaking onto Florrin's
// output, and the log-based verdict with its clean-up.
#include <signal.h>
#include <stdlib.h>
#include <unistd.h>
#include <sys/stat.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "imdb-search.h"
#include "support/scoped_env.h"
#include "web_file_test.h"

namespace {

bool Contains(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// Records its arguments, locale variables and whole environment, makes noise on its standard
// streams, then acts by the address: "ok" downloads; "exit4" downloads and
// logs success but exits with status 4; "retried" logs two "200 OK" lines
// and no completion; "hang" writes part of the page and waits for good, with
// a child of its own; anything else is a 404.
const char kFakeWget[] =
    "#!/bin/sh\n"
    "printf '%s\\n' \"$@\" > args.txt\n"
    "printf 'LC_ALL=%s LANGUAGE=%s PROXY=%s\\n' \"${LC_ALL-unset}\" "
    "\"${LANGUAGE-unset}\" \"${http_proxy-unset}\" > env.txt\n"
    "/usr/bin/env > fullenv.txt\n"
    "echo 'noise on stdout'; echo 'noise on stderr' >&2\n"
    "if read line; then echo \"stdin: $line\" >> env.txt; fi\n"
    "while [ $# -gt 0 ]; do\n"
    "  case \"$1\" in\n"
    "    -O) out=$2; shift ;;\n"
    "    -o) log=$2; shift ;;\n"
    "    -*) ;;\n"
    "    *) url=$1 ;;\n"
    "  esac\n"
    "  shift\n"
    "done\n"
    "saved() { printf 'HTTP request sent... 200 OK\\n'\"'\"'%s'\"'\"' saved "
    "[4/4]\\n' \"$out\" > \"$log\"; }\n"
    "case \"$url\" in\n"
    "  *hang*) printf 'part' > \"$out\"; printf '200 OK\\n200 OK\\n' > \"$log\"\n"
    "          echo $$ > hang.pid; /bin/sleep 1000 & echo $! > child.pid; wait ;;\n"
    "  *exit4*) printf 'body' > \"$out\"; saved; exit 4 ;;\n"
    "  *retried*) printf 'bo' > \"$out\"\n"
    "             printf 'awaiting response... 200 OK\\nawaiting response... "
    "200 OK\\n' > \"$log\" ;;\n"
    "  *ok*) printf 'body' > \"$out\"; saved ;;\n"
    "  *) printf 'partial' > \"$out\"; printf 'ERROR 404: Not Found.\\n' > "
    "\"$log\"; exit 8 ;;\n"
    "esac\n";

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

  // Whether the process whose id the stand-in wrote into `pidFile` still
  // runs (a zombie waiting for its parent counts as ended).
  bool StillRuns(const std::string& pidFile) {
    const int pid = std::atoi(ReadFile(dir_.File(pidFile)).c_str());
    if (pid <= 0) return false;
    const std::string stat = ReadFile("/proc/" + std::to_string(pid) + "/stat");
    const size_t paren = stat.rfind(')');
    if (paren == std::string::npos || paren + 2 >= stat.size()) {
      return kill(pid, 0) == 0;
    }
    return stat[paren + 2] != 'Z';
  }

  // A process killed by a signal needs a moment to die, more so on a
  // loaded machine: gives it up to five seconds.
  bool StillRunsAfterAWhile(const std::string& pidFile) {
    for (int i = 0; i < 500 && StillRuns(pidFile); ++i) usleep(10000);
    return StillRuns(pidFile);
  }

  std::string leaked_;
  ScopedEnv limit_{"FLORRIN_DOWNLOAD_TIMEOUT", nullptr};
  ScopedEnv downloader_{"FLORRIN_DOWNLOADER", nullptr};  // wget, as the default
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
  // The verbose log asked for against any settings file, wget's own time
  // limits matching the total one, and the address after every option.
  EXPECT_EQ("--verbose\n--no-quiet\n--timeout=60\n--tries=1\n-O\npage.htm\n"
            "-o\ntempout\n--\nhttp://h/ok\n",
            ReadFile(dir_.File("args.txt")));
  // No LANGUAGE, LC_ALL forced, the user's proxy kept, empty standard input.
  EXPECT_EQ("LC_ALL=C LANGUAGE=unset PROXY=http://127.0.0.1:9\n",
            ReadFile(dir_.File("env.txt")));
}

TEST_F(WgetTest, TheServicesVariablesStayOutOfTheDownloadersEnvironment) {
  const struct {
    const char* name;
    bool bPassed;
  } kVariables[] = {
      {"FLORRIN_TMDB_TOKEN", false}, {"FLORRIN_TMDB_KEY", false},
      {"FLORRIN_TMDB_API", false},   {"FLORRIN_TMDB_IMAGES", false},
      {"FLORRIN_TMDB_", false},      {"FLORRIN_LANGUAGE", true},
      {"FLORRIN_TMDB", true},        {"XFLORRIN_TMDB_KEY", true},
      {"florrin_tmdb_key", true},  // POSIX names are case-sensitive
  };
  std::vector<std::unique_ptr<ScopedEnv>> set;
  for (const auto& v : kVariables) {
    set.push_back(std::make_unique<ScopedEnv>(
        v.name, (std::string("value-of-") + v.name).c_str()));
  }
  EXPECT_TRUE(Fetch("http://h/ok", "page.htm"));
  const std::string env = ReadFile(dir_.File("fullenv.txt"));
  for (const auto& v : kVariables) {
    const std::string entry =
        "\n" + std::string(v.name) + "=value-of-" + v.name + "\n";
    EXPECT_EQ(v.bPassed, Contains("\n" + env, entry)) << v.name;
  }
  EXPECT_TRUE(Contains(env, "http_proxy=http://127.0.0.1:9\n")) << env;
}

TEST_F(WgetTest, ShellCharactersArePassedAsPlainText) {
  const sString url = "http://h/ok\"; touch pwned; echo $(touch pwned2) `x`";
  const sString file = "a \"b\" $(touch pwned3); c.jpg";
  EXPECT_TRUE(Fetch(url, file));
  EXPECT_EQ("--verbose\n--no-quiet\n--timeout=60\n--tries=1\n-O\n" + file +
                "\n-o\ntempout\n--\n" + url + "\n",
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
  struct sigaction after {};
  sigaction(SIGCHLD, nullptr, &after);
  sigaction(SIGCHLD, &old, nullptr);
  EXPECT_TRUE(ok);
  EXPECT_EQ(SIG_IGN, after.sa_handler) << "the caller's setting is restored";
  EXPECT_EQ("body", ReadFile(dir_.File("page.htm")));
  EXPECT_FALSE(Exists("tempout"));
}

TEST_F(WgetTest, TheVariableSetsTheTimeLimit) {
  ScopedEnv limit("FLORRIN_DOWNLOAD_TIMEOUT", "7");
  Fetch("http://h/ok", "page.htm");
  EXPECT_NE(std::string::npos,
            ReadFile(dir_.File("args.txt")).find("\n--timeout=7\n"));
}

// --- error paths ---

TEST_F(WgetTest, DownloaderStillRunningAtTheLimitIsEndedWithItsChildren) {
  ScopedEnv limit("FLORRIN_DOWNLOAD_TIMEOUT", "1");
  EXPECT_FALSE(Fetch("http://h/hang", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
  EXPECT_FALSE(StillRunsAfterAWhile("hang.pid"));
  EXPECT_FALSE(StillRunsAfterAWhile("child.pid"));
}

TEST_F(WgetTest, ACompleteLogCountsOnlyWithExitStatusZero) {
  Write("page.htm", "older copy");
  EXPECT_FALSE(Fetch("http://h/exit4", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
}

TEST_F(WgetTest, TwoAnswerLinesWithoutCompletionAreNoDownload) {
  // What a download cut short and tried again leaves in the log.
  EXPECT_FALSE(Fetch("http://h/retried", "page.htm"));
  EXPECT_FALSE(Exists("page.htm"));
  EXPECT_FALSE(Exists("tempout"));
}

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
