// The generic record store: its file format, its scans and its rewrites.
#include <gtest/gtest.h>

#include <filesystem>
#include <iterator>
#include <string>

#include "failing_file_calls.h"
#include "file-append.h"
#include "sTxtDB.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

#ifndef _WIN32
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";
// The store after create, then Alpha with "one" and Beta with "two".
const std::string kAlphaBeta =
    kHeader + "\n\n[Alpha]\nfield=one\n\n[Beta]\nfield=two";

class StoreTest : public ::testing::Test {
 protected:
  StoreTest() : cwd_(dir_.path()) {}

  // Writes `bytes` as the store file "s" and opens the store on it.
  void Given(const std::string& bytes) {
    WriteFile("s", bytes);
    store_.close();
    ASSERT_TRUE(store_.open("s"));
  }
  std::string Now() { return ReadFile("s"); }

  TempDir dir_;
  ScopedCwd cwd_;
  sTxtDB store_;
};

TEST_F(StoreTest, CreateThenAddWritesTheDocumentedBytes) {
  ASSERT_TRUE(store_.create("s"));
  EXPECT_EQ(Written(kHeader), Now());
  EXPECT_TRUE(store_.addRec("Alpha", "one"));
  EXPECT_TRUE(store_.addRec("Beta", "two"));
  EXPECT_EQ(Written(kAlphaBeta), Now());
}

TEST_F(StoreTest, OpenAndCreateRefuseAnOpenStore) {
  Given(kAlphaBeta);
  EXPECT_FALSE(store_.open("other"));
  EXPECT_FALSE(store_.create("other"));
  EXPECT_FALSE(FileExists("other"));
  EXPECT_EQ("one", store_.getRec("Alpha", "field"));
}

TEST_F(StoreTest, GetFindsFieldsByExactKeyInTheRecordBody) {
  Given(kHeader + "\n\n[A]\nplot=a=b\nk=1\nk=2\nK=3\n\n[B]\nx=last");
  EXPECT_EQ("a=b", store_.getRec("A", "plot"));
  EXPECT_EQ("1", store_.getRec("A", "k"));
  EXPECT_EQ("3", store_.getRec("A", "K"));
  EXPECT_EQ("last", store_.getRec("B", "x"));
  EXPECT_EQ("!not found!", store_.getRec("A", "x"));  // beyond A's body
  EXPECT_EQ("!not found!", store_.getRec("a", "k"));
}

TEST_F(StoreTest, OnlyALineBeginningWithABracketHeadsARecord) {
  // Text after "]" and a CR LF line end keep the name; a line without "]"
  // is named by all of it. A bracketed word inside a value, a line without
  // brackets and the store header line head nothing.
  Given(kHeader + "\n\n[A] x\r\nplot=see [B] here\nv=1\n[C\nw=2\nplain]x\n"
                  "y=3\n[B]\nv=4");
  EXPECT_EQ("1", store_.getRec("A", "v"));
  EXPECT_EQ("4", store_.getRec("B", "v"));
  EXPECT_EQ("2", store_.getRec("[C", "w"));
  EXPECT_EQ("!not found!", store_.getRec("plain", "y"));
  EXPECT_EQ("!not found!", store_.getRec("1.0.0-TALVERO_sTxtDB", "x"));
  EXPECT_EQ("!not found!", store_.getRec("", "v"));
  Given(kHeader + "[]\nv=0");
  EXPECT_EQ("0", store_.getRec("", "v"));
}

TEST_F(StoreTest, AddRefusesNamesThatHeadARecord) {
  const std::string start = kAlphaBeta + "\nplot=[Gamma]";
  Given(start);
  EXPECT_FALSE(store_.addRec("Alpha", "x"));
  EXPECT_FALSE(store_.addRec("Beta", "x"));
  EXPECT_EQ(start, Now());
  // Neither a bracketed word in a value nor the store header line is a
  // record's header.
  EXPECT_TRUE(store_.addRec("Gamma", "g"));
  EXPECT_TRUE(store_.addRec("1.0.0-TALVERO_sTxtDB", "h"));
  EXPECT_EQ(start + Written("\n\n[Gamma]\nfield=g\n\n[1.0.0-TALVERO_sTxtDB]"
                            "\nfield=h"),
            Now());
  EXPECT_EQ("h", store_.getRec("1.0.0-TALVERO_sTxtDB", "field"));
}

TEST_F(StoreTest, EditReplacesOneFieldLine) {
  Given(kAlphaBeta);
  EXPECT_TRUE(store_.editRec("Alpha", "field", "uno"));
  EXPECT_EQ(kHeader + "\n\n[Alpha]\n" + Written("field=uno\n") +
                "\n[Beta]\nfield=two" + kEol,
            Now());
  EXPECT_TRUE(store_.editRec("Beta", "field", "a=b"));
  EXPECT_EQ("a=b", store_.getRec("Beta", "field"));
  EXPECT_FALSE(FileExists("tempout"));
}

TEST_F(StoreTest, DelDropsHeaderAndBodyAndEndsEveryLine) {
  Given(kAlphaBeta);
  EXPECT_TRUE(store_.delRec("Alpha"));
  EXPECT_EQ(kHeader + "\n\n[Beta]\nfield=two" + kEol, Now());
  Given(kAlphaBeta);
  EXPECT_TRUE(store_.delRec("Beta"));
  EXPECT_EQ(kHeader + "\n\n[Alpha]\nfield=one\n\n", Now());
  Given(kAlphaBeta + "\n");  // an empty last line is copied as a line
  EXPECT_TRUE(store_.delRec("Alpha"));
  EXPECT_EQ(kHeader + "\n\n[Beta]\nfield=two\n" + kEol, Now());
  EXPECT_FALSE(FileExists("tmpfl"));
}

TEST_F(StoreTest, ACrLfStoreReadsCleanValuesAndKeepsItsLineEnds) {
  const std::string top = "1.0.0-TALVERO_sTxtDB\r\n\r\n\r\n[Alpha]\r\n";
  Given(top + "field=one\r\n\r\n[Beta]\r\nfield=two");
  EXPECT_EQ("one", store_.getRec("Alpha", "field"));
  EXPECT_EQ("two", store_.getRec("Beta", "field"));
  EXPECT_FALSE(store_.addRec("Alpha", "x"));
  EXPECT_TRUE(store_.editRec("Alpha", "field", "uno"));
  EXPECT_EQ(top + Written("field=uno\n") + "\r\n[Beta]\r\nfield=two" + kEol,
            Now());
  EXPECT_TRUE(store_.delRec("Beta"));
  EXPECT_EQ(top + Written("field=uno\n") + "\r\n", Now());
}

TEST_F(StoreTest, DelRemovesOnlyTheFirstRecordOfAName) {
  Given(kHeader + "[X]\na=1\n[X]\na=2\n[Y]");
  EXPECT_TRUE(store_.delRec("X"));
  EXPECT_EQ(kHeader + "[X]\na=2\n[Y]" + kEol, Now());
}

TEST_F(StoreTest, RewritesKeepThePermissionsAndReplaceALinksTarget) {
  namespace fs = std::filesystem;
  const fs::perms kPrivate = fs::perms::owner_read | fs::perms::owner_write |
                             fs::perms::group_read;
  fs::create_directory("keep");
  WriteFile("keep/real", kAlphaBeta);
  fs::permissions("keep/real", kPrivate);
  std::error_code ec;
  fs::create_symlink("keep/real", "s", ec);
  // Windows (and Wine) give ordinary programs no symbolic links.
  if (ec) GTEST_SKIP() << "no symbolic links here: " << ec.message();
  ASSERT_TRUE(store_.open("s"));
  EXPECT_TRUE(store_.editRec("Alpha", "field", "uno"));
  EXPECT_TRUE(store_.delRec("Beta"));
  EXPECT_TRUE(store_.addRec("Gamma", "g"));
  EXPECT_TRUE(fs::is_symlink("s"));
  EXPECT_EQ(kHeader + "\n\n[Alpha]\n" + Written("field=uno\n") + "\n" +
                Written("\n\n[Gamma]\nfield=g"),
            ReadFile("keep/real"));
  EXPECT_EQ(kPrivate, fs::status("keep/real").permissions());
  EXPECT_EQ(1u, std::distance(fs::directory_iterator("keep"),
                              fs::directory_iterator()));
}

// --- error paths ---

TEST_F(StoreTest, AStoreFileNobodyMayWriteIsRefused) {
  namespace fs = std::filesystem;
  Given(kAlphaBeta);
  fs::permissions("s", fs::perms::owner_read | fs::perms::group_read |
                           fs::perms::others_read);
  EXPECT_FALSE(store_.editRec("Alpha", "field", "x"));
  EXPECT_FALSE(store_.delRec("Alpha"));
  EXPECT_FALSE(store_.addRec("Gamma", "x"));
  EXPECT_EQ("one", store_.getRec("Alpha", "field"));
  EXPECT_EQ(kAlphaBeta, Now());
  EXPECT_FALSE(FileExists("tmpfl"));
  EXPECT_FALSE(FileExists("tempout"));
}

TEST_F(StoreTest, AClosedStoreTouchesNothing) {
  WriteFile("s", kAlphaBeta);
  EXPECT_FALSE(store_.open("missing"));
  EXPECT_FALSE(store_.isopen());
  EXPECT_EQ("!not found!", store_.getRec("Alpha", "field"));
  EXPECT_FALSE(store_.editRec("Alpha", "field", "x"));
  EXPECT_FALSE(store_.addRec("New", "x"));
  EXPECT_FALSE(store_.delRec("Alpha"));
  EXPECT_EQ(kAlphaBeta, Now());
  EXPECT_FALSE(FileExists("missing"));
}

TEST_F(StoreTest, OpenRefusesAFileThatCannotBeRead) {
  std::filesystem::create_directory("s");
  EXPECT_FALSE(store_.open("s"));
  EXPECT_FALSE(store_.isopen());
}

#ifndef _WIN32
TEST_F(StoreTest, APipeInTheStoreFilesPlaceEndsEveryOperationAtOnce) {
  // Opened without waiting for a writer or a reader, and refused: no run
  // hangs on it, and no record goes into it.
  Given(kAlphaBeta);
  std::filesystem::remove("s");
  ASSERT_EQ(0, mkfifo("s", 0666));
  EXPECT_EQ("!not found!", store_.getRec("Alpha", "field"));
  EXPECT_FALSE(store_.editRec("Alpha", "field", "x"));
  EXPECT_FALSE(store_.delRec("Alpha"));
  EXPECT_FALSE(store_.addRec("Gamma", "x"));
  EXPECT_FALSE(AppendWhole("s", "\n\n[Gamma]"));
  // Not even with a reader at the other end.
  const int reader = open("s", O_RDONLY | O_NONBLOCK);
  ASSERT_GE(reader, 0);
  EXPECT_FALSE(AppendWhole("s", "\n\n[Gamma]"));
  char c;
  EXPECT_EQ(0, read(reader, &c, 1));  // the pipe got nothing
  close(reader);
  EXPECT_FALSE(FileExists("tmpfl") || FileExists("tempout"));
}
#endif

TEST_F(StoreTest, AbsentRecordsOrFieldsLeaveTheFileAlone) {
  Given(kAlphaBeta);
  EXPECT_FALSE(store_.editRec("Alpha", "nofield", "x"));
  EXPECT_FALSE(store_.editRec("Nobody", "field", "x"));
  EXPECT_FALSE(store_.delRec("Nobody"));
  EXPECT_EQ(kAlphaBeta, Now());
  EXPECT_FALSE(FileExists("tmpfl"));
  EXPECT_FALSE(FileExists("tempout"));
}

TEST_F(StoreTest, LineBreaksInNamesKeysOrValuesAreRefused) {
  Given(kAlphaBeta);
  EXPECT_FALSE(store_.addRec("Evil]\nfield=x\n\n[Forged", "x"));
  EXPECT_FALSE(store_.addRec("Fine", "x\n[Forged]"));
  EXPECT_FALSE(store_.editRec("Alpha", "field", "x\n[Forged]"));
  EXPECT_FALSE(store_.editRec("Alpha", "field\n", "x"));
  EXPECT_EQ(kAlphaBeta, Now());
}

TEST_F(StoreTest, EmptyNamesAndNamesHoldingACloseBracketAreRefused) {
  // No empty line anywhere, so only the rule itself can refuse "".
  const std::string start = kHeader.substr(0, kHeader.size() - 1);
  Given(start);
  EXPECT_FALSE(store_.addRec("", "x"));
  EXPECT_FALSE(store_.addRec("[REC]", "x"));  // would list as "[REC"
  EXPECT_FALSE(store_.addRec("a]b", "x"));
  EXPECT_EQ(start, Now());
  // An opening bracket alone is fine: the name is found again.
  EXPECT_TRUE(store_.addRec("[REC", "x"));
  EXPECT_EQ("x", store_.getRec("[REC", "field"));
}

TEST_F(StoreTest, AnAppendThatFailsPartWayLeavesTheFileAsItWas) {
  Given(kAlphaBeta);
  for (int64_t iFailAfter : {0, 1, 6, 5000}) {
    FailAppendsAfterForTest(iFailAfter);
    EXPECT_FALSE(store_.addRec("Gamma", std::string(10000, 'p')));
    FailAppendsAfterForTest(-1);
    EXPECT_EQ(kAlphaBeta, Now()) << iFailAfter;
  }
  // The name stays free.
  EXPECT_TRUE(store_.addRec("Gamma", "g"));
  EXPECT_EQ(kAlphaBeta + Written("\n\n[Gamma]\nfield=g"), Now());
}

TEST_F(StoreTest, ScratchFileThatCannotBeWrittenKeepsTheStoreWhole) {
  Given(kAlphaBeta);
  std::filesystem::create_directories("tmpfl/inside");
  EXPECT_FALSE(store_.delRec("Alpha"));
  EXPECT_EQ(kAlphaBeta, Now());
}

TEST_F(StoreTest, AStoreFileThatVanishedEndsEveryOperation) {
  Given(kAlphaBeta);
  std::filesystem::remove("s");
  EXPECT_EQ("!not found!", store_.getRec("Alpha", "field"));
  EXPECT_FALSE(store_.editRec("Alpha", "field", "x"));
  EXPECT_FALSE(store_.delRec("Alpha"));
  EXPECT_FALSE(store_.addRec("New", "x"));
  EXPECT_FALSE(FileExists("s"));
  EXPECT_FALSE(FileExists("tmpfl"));
}

}  // namespace
