// Which line heads a record: only one that begins with "[", for every command
// that looks a record up. A bracketed word inside a value names nothing.
#include <string>

#include "florrin_fixture.h"

namespace {

// Early's plot mentions Heat before Heat's own header line.
const std::string kEarly = kHeader + "\n\n[Early]\nplot=see [Heat]\nyear=1\n\n";
const std::string kHeat = "[Heat]\nplot=h\nyear=1995";

class LookupTest : public FlorrinTest {
 protected:
  void SetUp() override { GivenDb(kEarly + kHeat); }
};

TEST_F(LookupTest, ReadingCommandsFindTheRecordAtItsOwnHeaderLine) {
  EXPECT_EQ("1995", Run({"--get", "Heat", "year"}));
  EXPECT_EQ("h|||1995||||||||", Run({"--printrec", "Heat"}));
  EXPECT_EQ("1", Run({"--get", "Early", "year"}));
}

TEST_F(LookupTest, DelRemovesTheNamedRecordAndNothingElse) {
  EXPECT_EQ("!ok!", Run({"--del", "Heat"}));
  EXPECT_EQ(kEarly, Db());
  EXPECT_EQ("Early|", Run({"--list"}));
}

TEST_F(LookupTest, EditChangesTheNamedRecordsLine) {
  EXPECT_EQ("!ok!", Run({"--edit", "Heat", "year", "1996"}));
  EXPECT_EQ(kEarly + "[Heat]\nplot=h\n" + Written("year=1996\n"), Db());
}

TEST_F(LookupTest, ChangeReplacesTheNamedRecordsBody) {
  EXPECT_EQ("!ok!", Run(Movie("--change", "Heat", "c")));
  EXPECT_EQ(kEarly + "[Heat]\n" + Written(MovieBody("c") + "\n\n"), Db());
}

TEST_F(LookupTest, NamesThatOnlyAValueOrTheHeaderLineCarryCanBeAdded) {
  GivenDb(kHeader + "\n\n[Early]\nplot=see [Late]");
  EXPECT_EQ("!ok!", Run(Movie("--add", "Late", "l")));
  EXPECT_EQ("!ok!", Run(Movie("--add", "1.0.0-TALVERO_sTxtDB", "t")));
  EXPECT_EQ("Early|Late|1.0.0-TALVERO_sTxtDB|", Run({"--list"}));
  EXPECT_EQ("l4", Run({"--get", "Late", "year"}));
  EXPECT_EQ("t4", Run({"--get", "1.0.0-TALVERO_sTxtDB", "year"}));
  EXPECT_EQ("!error!", Run(Movie("--add", "Late", "again")));
}

TEST_F(LookupTest, AnEmptyNameFindsOnlyAnEmptyBracketPair) {
  // Empty lines abound, but none of them heads a record.
  EXPECT_EQ("!error!", Run({"--get", "", "year"}));
  EXPECT_EQ("!error!", Run({"--printrec", ""}));
  GivenDb(kEarly + "[]\nyear=0\n\n" + kHeat);
  EXPECT_EQ("0", Run({"--get", "", "year"}));
  EXPECT_EQ("|||0||||||||", Run({"--printrec", ""}));
}

TEST_F(LookupTest, AHeaderLineKeepsItsNameWhateverFollowsTheBracket) {
  GivenDb(kHeader + "\n\n[Heat] (1995)\r\nyear=1995\r\n\r\n[Ronin]\r\nyear=1998");
  EXPECT_EQ("1995", Run({"--get", "Heat", "year"}));
  EXPECT_EQ("1998", Run({"--get", "Ronin", "year"}));
  EXPECT_EQ("!error!", Run(Movie("--add", "Ronin", "r")));
}

}  // namespace
