// Every rewrite of a file is flushed to the disk, whole, before it is moved
// over the old file: otherwise a crash just after the move could leave the
// catalogue empty or cut short. The file replacement is a recording
// stand-in here (recording_replace.h).
#include <gtest/gtest.h>

#include <string>

#include "get-put-line.h"
#include "recording_replace.h"
#include "smDB.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";

std::string Movie(const std::string& title, const std::string& v) {
  return "\n\n[" + title + "]\nplot=" + v + "\ntagline=\nrate=\nyear=\n"
         "director=\nruntime=\ncomments=\npic=\nAct=\nGenre=\nType=" + v;
}

class FlushTest : public ::testing::Test {
 protected:
  FlushTest() : cwd_(dir_.path()) {
    WriteFile("db", kHeader + Movie("A", "a") + Movie("B", "b"));
    db_.open("db");
    ReplaceCalls().clear();
  }

  // One flush of everything written, then one move of that onto "db".
  void ExpectFlushedWholeThenMoved() {
    const long size = static_cast<long>(ReadFile("db").size());
    ASSERT_EQ(2u, ReplaceCalls().size());
    EXPECT_EQ("flush", ReplaceCalls()[0].what);
    EXPECT_EQ(size, ReplaceCalls()[0].bytes);
    EXPECT_EQ("move", ReplaceCalls()[1].what);
    EXPECT_EQ(size, ReplaceCalls()[1].bytes);
    EXPECT_EQ("db", ReplaceCalls()[1].name);
  }

  TempDir dir_;
  ScopedCwd cwd_;
  smDB db_;
};

TEST_F(FlushTest, EveryRewriteIsFlushedWholeBeforeItIsMoved) {
  ASSERT_TRUE(db_.editRec("A", "plot", "edited"));
  ExpectFlushedWholeThenMoved();

  ReplaceCalls().clear();
  ASSERT_TRUE(db_.changeRec("B", "1", "2", "3", "4", "5", "6", "7", "8", "9",
                            "10", "11"));
  ExpectFlushedWholeThenMoved();

  ReplaceCalls().clear();
  ASSERT_TRUE(db_.delRec("A"));
  ExpectFlushedWholeThenMoved();

  ReplaceCalls().clear();
  ASSERT_TRUE(PutLine("db", 1, "line"));
  ExpectFlushedWholeThenMoved();
}

TEST_F(FlushTest, NothingIsFlushedOrMovedWhenTheRecordIsAbsent) {
  EXPECT_FALSE(db_.delRec("missing"));
  EXPECT_FALSE(db_.changeRec("missing", "", "", "", "", "", "", "", "", "",
                             "", ""));
  EXPECT_TRUE(ReplaceCalls().empty());
}

}  // namespace
