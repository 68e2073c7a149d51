// The listings and the filter with each of their file calls failing in turn:
// they print the whole list, or "!error!" and not one name, never part of the
// list.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "commands.h"
#include "failing_file_calls.h"
#include "smDB.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

// The listings read the catalogue named here; the program defines it with
// the catalogue commands.
const sString DBfile = "db";

namespace {

// Names enough for several read blocks and more than the output buffer.
std::string Catalogue(std::string* pList) {
  std::string db = "1.0.0-TALVERO_sTxtDB\n";
  for (int i = 0; i < 6000; ++i) {
    const std::string name = "Title " + std::to_string(100000 + i);
    db += "\n\n[" + name + "]\nplot=" + std::string(40, 'p') + "\nyear=1";
    *pList += name + "|";
  }
  return db;
}

// The filter as the command runs it, on a field every record matches.
void FilterAll() {
  smDB db;
  if (!db.open(DBfile) || !db.printFilter("plot", "PP")) Print("!error!");
}

std::string Listed(void (*list)()) {
  testing::internal::CaptureStdout();
  list();
  FlushOutput();
  return testing::internal::GetCapturedStdout();
}

TEST(ListingFaultTest, AFailedOpenOrReadPrintsTheMarkerAndNoName) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  std::string list;
  WriteFile("db", Catalogue(&list));
  for (void (*listing)() : {fList, fListByName, FilterAll}) {
    int iFailed = 0;
    for (int64_t n = 1; n < 100; ++n) {
      FailFileCallNumber(n);
      const std::string out = Listed(listing);
      const std::string call = FailedFileCall();
      FailFileCallNumber(0);
      if (call == "none") {
        EXPECT_EQ(list, out);
        break;
      }
      ++iFailed;
      EXPECT_EQ("!error!", out) << "call " << n << " (" << call << ") failing";
    }
    EXPECT_GT(iFailed, 2);  // the open and more than one read
  }
  // Only a catalogue that is not there is reported as not found.
  std::remove("db");
  EXPECT_EQ("No DB file found. !error!", Listed(fList));
  EXPECT_EQ("No DB file found. !error!", Listed(fListByName));
}

}  // namespace
