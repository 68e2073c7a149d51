// --html FILE: where the page may go, what it refuses, and that the
// catalogue is only read.
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace fs = std::filesystem;

namespace {

const std::string kCatalogue =
    kHeader + "\n\n[Alien]\nplot=A crew meets a creature.\npic=Alien.jpg\n"
              "year=1979\n\n[brazil]\npic=Missing.jpg\nGenre=Drama - Sci-Fi";

class HtmlTest : public FlorrinTest {
 protected:
  void SetUp() override {
    GivenDb(kCatalogue);
    WriteFile(dir_.File("Alien.jpg"), "not really a picture");
  }

  // Names in the test's folder and its subfolders that a page run may
  // leave behind by mistake.
  std::vector<std::string> Leftovers() {
    std::vector<std::string> names;
    for (const auto& e : fs::recursive_directory_iterator(dir_.path())) {
      const std::string name = e.path().filename().u8string();
      if (name.rfind(".florrin-page-", 0) == 0) names.push_back(name);
    }
    return names;
  }
};

struct Refusal {
  const char* what;
  std::function<void(const TempDir&)> given;
  std::string file;
  bool posix_only;
};

TEST_F(HtmlTest, RefusedWithErrorAndNothingChanged) {
  const Refusal cases[] = {
      {"the catalogue itself", [](const TempDir&) {}, "db", false},
      {"the catalogue by another path",
       [](const TempDir& d) { fs::create_directory(d.File("sub")); },
       "sub/../db", false},
      {"a hard link to the catalogue",
       [](const TempDir& d) {
         fs::create_hard_link(d.File("db"), d.File("twin.html"));
       },
       "twin.html", false},
      {"a symbolic link to the catalogue",
       [](const TempDir& d) {
         fs::create_symlink(d.File("db"), d.File("link.html"));
       },
       "link.html", true},
      {"the rewrite's scratch file", [](const TempDir&) {}, "tmpfl", false},
      {"the line rewrite's scratch file", [](const TempDir&) {}, "tempout",
       false},
      {"the lock file", [](const TempDir&) {}, "db.lock", false},
      {"a folder",
       [](const TempDir& d) { fs::create_directory(d.File("page.html")); },
       "page.html", false},
      {"a folder named with a slash",
       [](const TempDir& d) { fs::create_directory(d.File("pages")); },
       "pages/", false},
      {"in a folder that is not there", [](const TempDir&) {},
       "nowhere/page.html", false},
      {"a dangling link",
       [](const TempDir& d) {
         fs::create_symlink(d.File("gone.html"), d.File("page.html"));
       },
       "page.html", true},
      {"a read-only page",
       [](const TempDir& d) {
         WriteFile(d.File("page.html"), "old");
         fs::permissions(d.File("page.html"), fs::perms::owner_read |
                                                  fs::perms::group_read |
                                                  fs::perms::others_read);
       },
       "page.html", false},
      {"an empty name", [](const TempDir&) {}, "", false},
  };
  for (const Refusal& c : cases) {
#ifdef _WIN32
    if (c.posix_only) continue;
#endif
    TempDir dir;
    WriteFile(dir.File("db"), kCatalogue);
    c.given(dir);
    const bool bExisted = fs::is_regular_file(dir.File("page.html"));
    RunResult r = RunProgram(FLORRIN_EXE, {"--html", c.file}, dir.path(),
                             WithoutUserSettings(home_.path()));
    EXPECT_EQ("!error!", r.out) << c.what;
    EXPECT_EQ("", r.err) << c.what;
    EXPECT_EQ(kCatalogue, ReadFile(dir.File("db"))) << c.what;
    if (bExisted) {
      EXPECT_EQ("old", ReadFile(dir.File("page.html"))) << c.what;
    }
    for (const auto& e : fs::directory_iterator(dir.path())) {
      EXPECT_NE(0u, e.path().filename().u8string().rfind(".florrin-page-", 0))
          << c.what;
    }
    if (bExisted) fs::permissions(dir.File("page.html"), fs::perms::owner_all);
  }
}

TEST_F(HtmlTest, NoCatalogueOrAnUnreadableOne) {
  fs::remove(dir_.File("db"));
  EXPECT_EQ("!error!", Run({"--html", "page.html"}));
  EXPECT_FALSE(Exists("page.html"));
  fs::create_directory(dir_.File("db"));
  EXPECT_EQ("!error!", Run({"-ht", "page.html"}));
  EXPECT_FALSE(Exists("page.html"));
}

TEST_F(HtmlTest, WritesThePageBesideTheCatalogue) {
  EXPECT_EQ("!ok!", Run({"--html", "page.html"}));
  const std::string page = ReadFile(dir_.File("page.html"));
  EXPECT_EQ(0u, page.find("<!DOCTYPE html>"));
  EXPECT_NE(std::string::npos, page.find("src=\"Alien.jpg\" alt=\"Alien\""));
  // Its poster file is missing: the placeholder.
  EXPECT_NE(std::string::npos,
            page.find("<div class=\"poster none\"><span>brazil</span>"));
  EXPECT_LT(page.find(">Alien</h2>"), page.find(">brazil</h2>"));
  EXPECT_NE(std::string::npos, page.find(">2 movies</p>"));
  EXPECT_EQ(kCatalogue, Db());
  EXPECT_TRUE(Leftovers().empty());
  EXPECT_FALSE(Exists("db.lock"));
  // Again, over the page written before: the short word, the same page.
  EXPECT_EQ("!ok!", Run({"-ht", "page.html"}));
  EXPECT_EQ(page, ReadFile(dir_.File("page.html")));
}

TEST_F(HtmlTest, PostersRelativeToThePagesFolder) {
  fs::create_directories(dir_.File("out/deep"));
  const std::string folder = fs::path(dir_.path()).filename().u8string();
  const std::pair<std::string, std::string> cases[] = {
      {"out/page.html", "../Alien.jpg"},
      {"out/deep/page.html", "../../Alien.jpg"},
      {dir_.File("out/abs.html"), "../Alien.jpg"},
      {"../" + folder + "/same.html", "Alien.jpg"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ("!ok!", Run({"--html", c.first})) << c.first;
    const std::string path = c.first.find(dir_.path()) == 0
                                 ? c.first
                                 : dir_.File(c.first);
    EXPECT_NE(std::string::npos,
              ReadFile(path).find("src=\"" + c.second + "\""))
        << c.first;
  }
  EXPECT_TRUE(Leftovers().empty());
}

TEST_F(HtmlTest, ThePagesNameComesWhole) {
  // A name the ANSI code page cannot hold reaches the page's file intact
  // (Windows takes it from the wide command line).
  const std::string name = "Filmer \xC3\xA9\xC5\x81\xE2\x9C\x93.html";
  EXPECT_EQ("!ok!", Run({"--html", Utf8Arg(name)}));
  EXPECT_TRUE(fs::is_regular_file(fs::u8path(dir_.path()) / fs::u8path(name)));
}

TEST_F(HtmlTest, AReadOnlyCatalogueIsOnlyRead) {
  fs::permissions(dir_.File("db"), fs::perms::owner_read |
                                       fs::perms::group_read |
                                       fs::perms::others_read);
  EXPECT_EQ("!ok!", Run({"--html", "page.html"}));
  EXPECT_EQ(kCatalogue, Db());
  fs::permissions(dir_.File("db"), fs::perms::owner_all);
}

#ifndef _WIN32
TEST_F(HtmlTest, ALinkStaysAndItsFileGetsThePage) {
  fs::create_directory(dir_.File("site"));
  WriteFile(dir_.File("site/real.html"), "old");
  fs::permissions(dir_.File("site/real.html"),
                  fs::perms::owner_read | fs::perms::owner_write);
  fs::create_symlink("site/real.html", dir_.File("page.html"));
  EXPECT_EQ("!ok!", Run({"--html", "page.html"}));
  EXPECT_TRUE(fs::is_symlink(dir_.File("page.html")));
  const std::string page = ReadFile(dir_.File("site/real.html"));
  // Addressed from the file's own folder, which is where it is read from.
  EXPECT_NE(std::string::npos, page.find("src=\"../Alien.jpg\""));
  EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write,
            fs::status(dir_.File("site/real.html")).permissions());
}
#endif

}  // namespace
