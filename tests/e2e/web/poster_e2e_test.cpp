// Where an import's poster goes, through the site and the movie service: a
// poster file another record's pic names is never taken over, and a poster
// that cannot be fetched leaves every file as it was.
#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "service_e2e_fixture.h"

namespace {

using Files_ = std::vector<std::string>;

// One import of the record "A?B" (poster name "A_B.jpg") into a folder that
// holds the catalogue naming `pics` and the files `files`, each holding its
// own name as content.
struct PosterCase {
  const char* what;
  Files_ pics;
  Files_ files;
  std::string pic;  // what the new record's pic says
};

// The cases of a poster that arrives.
const PosterCase kArrives[] = {
    {"a file no record names is replaced", {}, {"A_B.jpg"}, "A_B.jpg"},
    {"a file another record names is kept", {"A_B.jpg"}, {"A_B.jpg"}, "A_B (2).jpg"},
    {"a name is taken whatever its letter case", {"a_b.JPG"}, {"a_b.JPG"}, "A_B (2).jpg"},
    {"a name is taken even without its file", {"A_B.jpg"}, {}, "A_B (2).jpg"},
    {"the first free number", {"A_B.jpg", "A_B (2).jpg", "A_B (4).jpg"},
     {"A_B.jpg", "A_B (2).jpg", "A_B (3).jpg"}, "A_B (3).jpg"},
};

// The cases of a poster that cannot be fetched: the pic stays empty.
const PosterCase kFails[] = {
    {"a file no record names stays", {}, {"A_B.jpg"}, ""},
    {"a file another record names stays", {"A_B.jpg"}, {"A_B.jpg"}, ""},
};

class PosterTest : public ServiceE2eTest {
 protected:
  // A catalogue whose records name `pics` (one record each, "Other 1", ...).
  static std::string CatalogueNaming(const Files_& pics) {
    std::string db = kHeader;
    for (size_t i = 0; i < pics.size(); ++i) {
      db += Record("Other " + std::to_string(i + 1),
                   {"", "", "", "", "", "", "", pics[i], "", "", ""});
    }
    return db;
  }

  // Runs `args` on the set-up of `c` and checks that it adds `record` and
  // leaves the files the folder held untouched, but for `c.pic` when that is
  // one of them, `c.pic` holding `poster`, and the site's title page when
  // `bSite`.
  void Check(const PosterCase& c, const std::vector<std::string>& args,
             const std::string& record, const std::vector<std::string>& env,
             const std::string& poster, bool bSite) {
    for (const std::string& name : Files()) std::filesystem::remove(dir_.File(name));
    const std::string db = CatalogueNaming(c.pics);
    Write("db", db);
    for (const std::string& name : c.files) Write(name, name);
    ExpectRun(args, "!ok!", env);
    EXPECT_EQ(db + record, Db()) << c.what;
    Files_ expected = c.files;
    expected.push_back("db");
    if (bSite) expected.push_back("imbd-movie.htm");
    if (!c.pic.empty()) {
      EXPECT_EQ(poster, Read(c.pic)) << c.what;
      if (std::find(expected.begin(), expected.end(), c.pic) == expected.end())
        expected.push_back(c.pic);
    }
    for (const std::string& name : c.files) {
      if (name == c.pic) continue;
      EXPECT_EQ(name, Read(name)) << c.what;
    }
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(expected, Files()) << c.what;
  }
};

}  // namespace

TEST_F(PosterTest, ThroughTheSiteAPosterNeverTakesAnotherRecordsFile) {
  const std::string poster = Fixture("posters/tt0100001.jpg");
  for (const PosterCase& c : kArrives) {
    Check(c, {"-u", "A?B", "www.imdb.com/title/tt0100001/"},
          HarbourLights("A?B", c.pic), {}, poster, true);
  }
  for (const PosterCase& c : kFails) {
    // The title page names a poster the site does not have.
    Check(c, {"-u", "A?B", "www.imdb.com/title/tt0100004/"},
          Record("A?B", {"", "They fall slowly.", "5.0/10", "2011", "Ruth Kalm",
                         "100 min", "", "", "", "", ""}),
          {}, "", true);
  }
}

TEST_F(PosterTest, ThroughTheServiceAPosterNeverTakesAnotherRecordsFile) {
  const std::string poster = Fixture("posters/tt0100001.jpg");
  for (const PosterCase& c : kArrives) {
    Check(c, {"-u", "A?B", "/movie/27205"}, Inception("A?B", c.pic), Env(), poster,
          false);
  }
  std::string cast;
  for (int i = 1; i <= 15; ++i) {
    cast += " - Actor " + std::to_string(i);
    if (i % 2) cast += " - Role " + std::to_string(i);
  }
  for (const PosterCase& c : kFails) {
    // The movie names a poster the image server does not have.
    Check(c, {"-u", "A?B", "/movie/900004"},
          Record("A?B", {"", "", "8.2/10", "2020", "", "101 min", "", "", cast,
                         " - Drama", ""}, "\ntmdb=900004"),
          Env(), "", false);
  }
}
