// Reading a small file whole: the cap and what an oversized file leaves.
#include "whole-file.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <string>

#include "support/temp_dir.h"

namespace {

struct Case {
  const char* what;
  size_t iFileBytes;
  int64_t iMaxBytes;
  TooLarge tooLarge;
  WholeFile expected;
  size_t iExpectedBytes;
};

// Sizes around the cap and around the 64 KiB read block.
const Case kCases[] = {
    {"empty file", 0, 10, TooLarge::kNothing, WholeFile::kRead, 0},
    {"at the cap", 10, 10, TooLarge::kNothing, WholeFile::kRead, 10},
    {"one past the cap, nothing", 11, 10, TooLarge::kNothing,
     WholeFile::kTooLarge, 0},
    {"one past the cap, first part", 11, 10, TooLarge::kFirstPart,
     WholeFile::kTooLarge, 11},
    {"past the cap in a later block", 200000, 100000, TooLarge::kFirstPart,
     WholeFile::kTooLarge, 131072},
    {"several blocks, no cap", 200000, INT64_MAX, TooLarge::kNothing,
     WholeFile::kRead, 200000},
};

class WholeFileTest : public ::testing::TestWithParam<Case> {};

TEST_P(WholeFileTest, ReadsUpToTheCap) {
  const Case& c = GetParam();
  TempDir dir;
  const std::string name = dir.File("file");
  std::string bytes(c.iFileBytes, 'x');
  for (size_t i = 0; i < bytes.size(); ++i) bytes[i] = static_cast<char>(i % 251);
  FILE* f = std::fopen(name.c_str(), "wb");
  ASSERT_NE(nullptr, f);
  ASSERT_EQ(bytes.size(), std::fwrite(bytes.data(), 1, bytes.size(), f));
  std::fclose(f);

  sString text = "left over";
  EXPECT_EQ(c.expected, ReadWholeFile(name, c.iMaxBytes, c.tooLarge, &text));
  EXPECT_EQ(bytes.substr(0, c.iExpectedBytes), text);
}

INSTANTIATE_TEST_SUITE_P(Sizes, WholeFileTest, ::testing::ValuesIn(kCases),
                         [](const auto& info) {
                           std::string name;
                           for (const char* p = info.param.what; *p; ++p)
                             name += std::isalnum(static_cast<unsigned char>(*p)) ? *p : '_';
                           return name;
                         });

TEST(WholeFile, AMissingFileOrEmptyNameCannotBeOpened) {
  TempDir dir;
  for (const std::string& name : {dir.File("absent"), std::string()}) {
    sString text = "left over";
    EXPECT_EQ(WholeFile::kCannotOpen,
              ReadWholeFile(name, 10, TooLarge::kFirstPart, &text));
    EXPECT_EQ("", text);
  }
}

}  // namespace
