// No command removes or replaces the catalogue's own file, whatever name
// reaches it: with "db" a link to a file named like a rewrite's scratch
// file, an import's working file or its poster, or a second name of such a
// file, every command that would write that name prints its failure marker
// and changes nothing.
#include <algorithm>
#include <filesystem>
#include <iostream>
#include <string>
#include <system_error>
#include <vector>

#include "web_e2e_fixture.h"

namespace {

namespace fs = std::filesystem;

using Files_ = std::vector<std::string>;

class OwnFileTest : public WebE2eTest {
 protected:
  // Every name under the test's folder, sorted, folders with a "/" after;
  // the lock files, which belong to the dispatcher, left out.
  Files_ Tree() {
    Files_ names;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
      if (e.path().filename() == "db.lock") continue;
      std::string name = fs::relative(e.path(), dir_.path()).generic_string();
      if (e.is_directory()) name += "/";
      names.push_back(name);
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

}  // namespace

TEST_F(OwnFileTest, NoCommandRemovesOrReplacesTheCatalogueByAnotherName) {
  const std::string catalogue =
      kHeader + Record("First", {"a", "", "", "", "", "", "", "", "", "", ""});
  std::vector<std::string> change{"--change", "First"};
  for (int i = 0; i < 11; ++i) change.push_back("v");
  const struct {
    const char* file;  // the catalogue's file, when "db" is a symbolic link
    std::vector<std::string> args;
    const char* marker;
  } kCases[] = {
      // A rewrite's scratch file lies beside the file the link reaches.
      {"store/tmpfl", {"--del", "NoSuch"}, "!error!"},
      {"store/tmpfl", {"--del", "First"}, "!error!"},
      {"store/tmpfl", change, "!error! Could not change record."},
      {"store/tempout", {"--edit", "First", "plot", "b"}, "!error!"},
      // An import's working files and poster lie in the current folder.
      {"tempout", {"-u", "New", "www.imdb.com/title/tt0100001/"},
       "!error! Could not add to DataBase."},
      {"tempout", {"-ps", "Harbour Lights"}, "!download error! !error!"},
      {"imbd-movie.htm", {"-u", "New", "www.imdb.com/title/tt0100001/"},
       "!error! Could not add to DataBase."},
      {"imbd-movie.htm", {"-t", "Harbour Lights"}, "!error!"},
      {"imbd-search.htm", {"-t", "Harbour Lights"}, "!error!"},
      {"imbd-search.htm", {"-ps", "Harbour Lights"}, "!download error! !error!"},
      {"New.jpg", {"-u", "New", "www.imdb.com/title/tt0100001/"},
       "!error! Could not add to DataBase."},
      {"Harbour Lights.jpg", {"-t", "Harbour Lights"}, "!error!"},
  };
  int iRun = 0;
  for (const auto& c : kCases) {
    for (const bool bSymbolic : {true, false}) {
      for (const auto& e : fs::directory_iterator(dir_.path())) fs::remove_all(e.path());
      ClearRequests();
      // A second name of the file must stand where the command writes: a
      // hard link, unlike a symbolic one, is not followed to its folder.
      const std::string file =
          bSymbolic ? c.file : fs::path(c.file).filename().string();
      const std::string what = std::string(bSymbolic ? "db -> " : "db = ") + file +
                               ": " + c.args[0];
      fs::create_directories(fs::path(dir_.File(file)).parent_path());
      Write(file, catalogue);
      std::error_code ec;
      if (bSymbolic) {
        fs::create_symlink(file, dir_.File("db"), ec);
      } else {
        fs::create_hard_link(dir_.File(file), dir_.File("db"), ec);
      }
      // Windows (and Wine) may give ordinary programs no links.
      if (ec) {
        std::cout << "skipped " << what << ": " << ec.message() << "\n";
        continue;
      }
      ++iRun;
      const Files_ before = Tree();
      // Not ExpectRun: a file named like the downloader's log is the
      // catalogue here.
      const RunResult r = Run(c.args);
      EXPECT_EQ(c.marker, r.out) << what;
      EXPECT_EQ("", r.err) << what;
      EXPECT_EQ(0, r.exit_code) << what;
      EXPECT_EQ(catalogue, Db()) << what;
      EXPECT_EQ(catalogue, Read(file)) << what;
      EXPECT_EQ(before, Tree()) << what;
      EXPECT_EQ(Files_{}, Requests()) << what;
    }
  }
  if (iRun == 0) GTEST_SKIP() << "no links can be made here";
}
