// A catalogue name that leads to something other than a regular file, and a
// run under a file-size limit: every command still answers at once with its
// marker, exit status 0 and nothing on standard error, and changes nothing.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

namespace fs = std::filesystem;

// Generous: every command here answers in well under a second; a run still
// going after this waits for something that will not come.
constexpr int kPatienceSeconds = 20;

// Every command, with its marker for a catalogue that exists but cannot be
// opened. --printsearch reads no catalogue: it fails at its download (the
// proxy is a closed local port).
struct Command {
  std::vector<std::string> args;
  std::string marker;
};

const std::vector<Command>& Commands() {
  static const std::vector<Command> commands = {
      {{"--new"}, "!error!"},
      {{"--list"}, "!error!"},
      {{"--listbyname"}, "!error!"},
      {{"--del", "A"}, "!error!"},
      {{"--get", "A", "plot"}, "!error!"},
      {{"--edit", "A", "plot", "x"}, "!error!"},
      {Movie("--add", "B", "b"), "!error!"},
      {Movie("--change", "A", "c"), "!error! Could not open DataBase."},
      {{"--printrec", "A"}, "!error!"},
      {{"--filter", "Genre", "a"}, "!error!"},
      {{"--autoadd", "A film"}, "!error!"},
      {{"--urladd", "A film", "http://www.imdb.com/title/tt0000001/"},
       "!error! Could not open DataBase."},
      {{"--printsearch", "A film"}, "!download error! !error!"},
  };
  return commands;
}

class HostileCatalogueTest : public FlorrinTest {
 protected:
  RunResult RunWith(const ChildSetup& setup,
                    const std::vector<std::string>& args) {
    std::vector<std::string> env = WithoutUserSettings(home_.path());
    env.push_back("http_proxy=http://127.0.0.1:9/");
    env.push_back("no_proxy");
    return RunProgramAs(setup, FLORRIN_EXE, args, dir_.path(), env,
                        kPatienceSeconds);
  }

  // The names in the test's folder.
  std::vector<std::string> Names() {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_.path()))
      names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(HostileCatalogueTest, ANameThatLeadsToNoRegularFileIsRefusedAtOnce) {
  TempDir elsewhere;
  struct Kind {
    const char* what;
    bool (*make)(const std::string& db, const std::string& elsewhere);
  };
  const Kind kinds[] = {
      {"a pipe",
       [](const std::string& db, const std::string&) {
         return mkfifo(db.c_str(), 0666) == 0;
       }},
      {"a link to a pipe in another folder",
       [](const std::string& db, const std::string& other) {
         const std::string pipe = other + "/pipe";
         return mkfifo(pipe.c_str(), 0666) == 0 &&
                symlink(pipe.c_str(), db.c_str()) == 0;
       }},
      {"a link to a device",
       [](const std::string& db, const std::string&) {
         return symlink("/dev/null", db.c_str()) == 0;
       }},
      {"a folder",
       [](const std::string& db, const std::string&) {
         return fs::create_directory(db);
       }},
  };
  for (const Kind& kind : kinds) {
    ASSERT_TRUE(kind.make(dir_.File("db"), elsewhere.path())) << kind.what;
    for (const Command& command : Commands()) {
      const RunResult r = RunWith(ChildSetup(), command.args);
      EXPECT_FALSE(r.timed_out) << command.args[0] << " on " << kind.what;
      EXPECT_EQ(command.marker, r.out)
          << command.args[0] << " on " << kind.what;
      EXPECT_EQ("", r.err);
      EXPECT_EQ(0, r.exit_code);
    }
    // Nothing was made, not even a lock file (for a device, in its folder).
    EXPECT_EQ(std::vector<std::string>{"db"}, Names()) << kind.what;
    EXPECT_FALSE(FileExists("/dev/db.lock"));
    fs::remove_all(dir_.File("db"));
    fs::remove_all(elsewhere.File("pipe"));
  }
}

TEST_F(HostileCatalogueTest, AFileSizeLimitFailsAChangeAndKeepsTheCatalogue) {
  const std::string one = kHeader + "\n\n[A]\n" + MovieBody("a");
  // Far past the limit, as a long plot is.
  const std::string big(20 * 1024, 'p');
  std::vector<std::string> add = Movie("--add", "B", "b");
  add[2] = big;
  std::vector<std::string> change = Movie("--change", "A", "c");
  change[2] = big;
  const struct {
    std::vector<std::string> args;
    std::string refused;
  } changes[] = {
      {add, "!error!"},
      {change, "!error! Could not change record."},
      {{"--edit", "A", "plot", big}, "!error!"},
  };
  ChildSetup limited;
  limited.file_size_limit = 10 * 1024;
  for (const auto& c : changes) {
    GivenDb(one);
    const RunResult r = RunWith(limited, c.args);
    EXPECT_EQ(c.refused, r.out) << c.args[0];
    EXPECT_EQ("", r.err) << c.args[0];
    EXPECT_EQ(0, r.exit_code) << c.args[0];  // not ended by SIGXFSZ
    EXPECT_EQ(one, Db()) << c.args[0];
  }
  // The same title goes in once the limit allows it.
  EXPECT_EQ("!ok!", RunWith(ChildSetup(), add).out);
  EXPECT_EQ("A|B|", Run({"--list"}));
}

TEST_F(HostileCatalogueTest, AFileSizeLimitBelowTheHeaderStartsNoCatalogue) {
  ChildSetup limited;
  limited.file_size_limit = 10;  // the header line is 21 bytes
  const RunResult r = RunWith(limited, {"--new"});
  EXPECT_EQ("!error!", r.out);
  EXPECT_EQ(0, r.exit_code);
  // Neither the catalogue nor its private file is left; the lock file is.
  EXPECT_EQ(std::vector<std::string>{"db.lock"}, Names());
}

}  // namespace
