// Where an imported poster goes: a name no record's pic claims, reached by a
// download that is moved into place only whole.
#include "poster-place.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

TEST(FreePosterNameTest, TheFirstNameNoPicClaimsIgnoringAsciiCase) {
  const struct {
    const char* rec;
    std::vector<sString> taken;
    const char* name;
  } kCases[] = {
      {"A:B", {}, "A_B.jpg"},
      {"A:B", {"Other.jpg", "A_B.jpg.old", "A_B"}, "A_B.jpg"},
      {"A:B", {"A_B.jpg"}, "A_B (2).jpg"},
      {"A:B", {"a_b.JPG"}, "A_B (2).jpg"},
      {"A:B", {"A_B.jpg", "a_b (2).jpg", "A_B (4).jpg"}, "A_B (3).jpg"},
      // Only ASCII letters fold: other bytes must match exactly.
      {"\xC3\x89t\xC3\xA9", {"\xC3\xA9T\xC3\xA9.jpg"}, "\xC3\x89t\xC3\xA9.jpg"},
      {"\xC3\x89t\xC3\xA9", {"\xC3\x89T\xC3\xA9.JPG"}, "\xC3\x89t\xC3\xA9 (2).jpg"},
      // No poster at all: nothing to choose.
      {"CON", {"CON.jpg"}, ""},
      {"..", {}, ""},
  };
  for (const auto& c : kCases) EXPECT_EQ(c.name, FreePosterName(c.rec, c.taken)) << c.rec;
}

class PosterDownloadTest : public ::testing::Test {
 protected:
  PosterDownloadTest() : cwd_(dir_.path()) {}
  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_F(PosterDownloadTest, ATemporaryNameOfItsOwnMovedOverTheNameOnlyWhole) {
  WriteFile("florrin-poster-1.part", "someone else's");
  WriteFile("A.jpg", "old");
  {
    PosterDownload poster;
    ASSERT_TRUE(poster.Begin());
    EXPECT_EQ("florrin-poster-2.part", poster.file());
    WriteFile(poster.file(), "new");
    EXPECT_TRUE(poster.MoveTo("A.jpg"));
  }
  EXPECT_EQ("new", ReadFile("A.jpg"));
  EXPECT_FALSE(FileExists("florrin-poster-2.part"));
  EXPECT_EQ("someone else's", ReadFile("florrin-poster-1.part"));
}

TEST_F(PosterDownloadTest, ADownloadNotMovedIntoPlaceLeavesNothing) {
  std::string name;
  {
    PosterDownload poster;
    ASSERT_TRUE(poster.Begin());
    name = poster.file();
    WriteFile(name, "part of a poster");
  }
  EXPECT_FALSE(FileExists(name));
  // A name that cannot be taken: a folder holding a file.
  WriteFile("A.jpg.keep", "");
  std::filesystem::create_directories("A.jpg/inside");
  PosterDownload poster;
  ASSERT_TRUE(poster.Begin());
  WriteFile(poster.file(), "new");
  name = poster.file();
  EXPECT_FALSE(poster.MoveTo("A.jpg"));
  EXPECT_FALSE(FileExists(name));
  EXPECT_TRUE(std::filesystem::is_directory("A.jpg/inside"));
}

}  // namespace
