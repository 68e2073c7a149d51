// Every file call of every catalogue operation failing in turn: the first
// call, then the second, and so on until a run goes through with none
// failing. Each run must end either done, with the catalogue the run without
// failures makes, or failed, with the catalogue byte for byte as it was; a
// reading operation answers in full or not at all.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "failing_file_calls.h"
#include "output.h"
#include "smDB.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

// Several read blocks and scratch-file buffers long, so that reads and
// writes fail at the start, in the middle and at the end. The last record
// ends without a line end.
std::string Catalogue() {
  std::string db = "1.0.0-TALVERO_sTxtDB\n";
  for (int i = 0; i < 700; ++i) {
    const std::string n = std::to_string(i);
    db += "\n\n[T" + n + "]\nplot=" + std::string(200, 'p') + " [T" +
          std::to_string(i + 1) + "]\ntagline=\nrate=" + n + "\nyear=" + n +
          "\r\ndirector=d\nruntime=r\ncomments=\npic=\nAct=a\nGenre=g\nType=t";
  }
  return db;
}

// An operation as a command runs it: open the catalogue, then one call.
// `*pOut` gets what it printed or answered.
using Operation = std::function<bool(smDB* db, std::string* pOut)>;

bool Movie(smDB* db, bool bAdd, const std::string& title) {
  const sString v = "new";
  return bAdd ? db->addRec(title, v, v, v, v, v, v, v, v, v, v, v)
              : db->changeRec(title, v, v, v, v, v, v, v, v, v, v, v);
}

struct Case {
  const char* name;
  Operation op;
};

const std::vector<Case>& Cases() {
  static const std::vector<Case> cases = {
      {"del", [](smDB* db, std::string*) { return db->delRec("T350"); }},
      {"del last", [](smDB* db, std::string*) { return db->delRec("T699"); }},
      {"edit",
       [](smDB* db, std::string*) { return db->editRec("T350", "year", "x"); }},
      {"edit last line",
       [](smDB* db, std::string*) { return db->editRec("T699", "Type", "x"); }},
      {"change", [](smDB* db, std::string*) { return Movie(db, false, "T5"); }},
      {"add", [](smDB* db, std::string*) { return Movie(db, true, "T700"); }},
      {"add taken", [](smDB* db, std::string*) { return Movie(db, true, "T698"); }},
      {"get",
       [](smDB* db, std::string* pOut) {
         *pOut = db->getRec("T699", "Type");
         return *pOut != "!not found!";
       }},
      {"printrec", [](smDB* db, std::string* pOut) {
         testing::internal::CaptureStdout();
         const bool bOk = db->printRec("T699");
         FlushOutput();
         *pOut = testing::internal::GetCapturedStdout();
         return bOk;
       }}};
  return cases;
}

struct Outcome {
  bool bOk;
  std::string sOut;
  std::string sFile;
  std::string sFailed;  // the call that failed, "none" when none did
};

class FileFaultTest : public ::testing::TestWithParam<size_t> {
 protected:
  FileFaultTest() : cwd_(dir_.path()) {}
  ~FileFaultTest() override { FailFileCallNumber(0); }

  // Runs the case on a fresh copy of the catalogue with call `n` failing.
  Outcome RunWithCallFailing(int64_t n) {
    WriteFile("db", start_);
    FailFileCallNumber(n);
    smDB db;
    Outcome run;
    run.bOk = db.open("db") && Cases()[GetParam()].op(&db, &run.sOut);
    run.sFailed = FailedFileCall();
    FailFileCallNumber(0);
    run.sFile = ReadFile("db");
    return run;
  }

  const std::string start_ = Catalogue();
  TempDir dir_;
  ScopedCwd cwd_;
};

TEST_P(FileFaultTest, EachFailingCallLeavesTheOldCatalogueOrTheNewOne) {
  std::vector<Outcome> failed;
  Outcome clean;
  for (int64_t n = 1;; ++n) {
    ASSERT_LT(n, 1000) << "no run without a failure";
    Outcome run = RunWithCallFailing(n);
    if (run.sFailed == "none") {
      clean = run;
      break;
    }
    failed.push_back(run);
  }
  // Each kind of call had its turn.
  ASSERT_FALSE(failed.empty());
  for (size_t i = 0; i < failed.size(); ++i) {
    const Outcome& run = failed[i];
    const std::string where = "call " + std::to_string(i + 1) + " (" +
                              run.sFailed + ") failing";
    if (run.bOk) {
      EXPECT_EQ(clean.sFile, run.sFile) << where;
      EXPECT_EQ(clean.sOut, run.sOut) << where;
    } else {
      EXPECT_TRUE(run.sFile == start_) << where << ": the catalogue changed";
      if (run.sOut != "!not found!") {
        EXPECT_EQ("", run.sOut) << where;
      }
    }
  }
}

std::string CaseName(const testing::TestParamInfo<size_t>& info) {
  std::string name = Cases()[info.param].name;
  for (char& c : name)
    if (c == ' ') c = '_';
  return name;
}

INSTANTIATE_TEST_SUITE_P(EveryOperation, FileFaultTest,
                         testing::Range<size_t>(0, 9), CaseName);

TEST(FileFaultCoverage, TheRewritesMakeEveryKindOfCall) {
  // The loop above is only as good as the calls it reaches.
  TempDir dir;
  ScopedCwd cwd(dir.path());
  std::vector<std::string> seen;
  for (int64_t n = 1; n < 1000; ++n) {
    WriteFile("db", Catalogue());
    FailFileCallNumber(n);
    smDB db;
    if (db.open("db")) db.delRec("T350");
    const std::string sFailed = FailedFileCall();
    FailFileCallNumber(0);
    if (sFailed == "none") break;
    seen.push_back(sFailed);
  }
  for (const char* kind :
       {"open", "read", "write", "flush", "sync", "close", "rename"})
    EXPECT_NE(seen.end(), std::find(seen.begin(), seen.end(), kind)) << kind;
}

}  // namespace
