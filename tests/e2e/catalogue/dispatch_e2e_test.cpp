// The command line: which words with which argument counts reach which
// command, and what everything else answers.
#include <string>
#include <vector>

#include "florrin_fixture.h"

namespace {

// The one answer that ends with a line end: standard output is in the
// system's text mode.
const std::string kHelp = Written("!err in parameters!\n");

class DispatchTest : public FlorrinTest {
 protected:
  DispatchTest() {
    GivenDb(kHeader + "\n\n[b]\n" + MovieBody("x") + "\n\n[A]\n" +
            MovieBody("y") + "\n\n[a]\n" + MovieBody("z"));
  }
};

TEST_F(DispatchTest, NoArgumentsAnswersTheParameterError) {
  EXPECT_EQ(kHelp, Run({}));
}

TEST_F(DispatchTest, WordsAreMatchedWholeAndCaseSensitively) {
  for (const char* word : {"--List", "-L", "--lis", "list", "--list ", "-",
                           "", "--LISTBYNAME", "-Lbn"})
    EXPECT_EQ(kHelp, Run({word})) << word;
  EXPECT_EQ(kHelp, Run({"--Get", "b", "plot"}));
  EXPECT_EQ(kHelp, Run({"--unknown", "b"}));
}

TEST_F(DispatchTest, AWordOnlyCountsWithItsOwnArgumentCount) {
  EXPECT_EQ(kHelp, Run({"-l", "extra"}));
  EXPECT_EQ(kHelp, Run({"--del", "b", "c"}));
  EXPECT_EQ(kHelp, Run({"--del"}));
  EXPECT_EQ(kHelp, Run({"--get", "b"}));
  EXPECT_EQ(kHelp, Run({"--edit", "b", "plot"}));
  EXPECT_EQ(kHelp, Run({"-t", "a", "b"}));
  EXPECT_EQ(kHelp, Run({"--urladd", "a"}));
  EXPECT_EQ(kHelp, Run({"-ps"}));
  std::vector<std::string> add = Movie("--add", "New", "n");
  add.pop_back();  // eleven words after the command word
  EXPECT_EQ(kHelp, Run(add));
}

TEST_F(DispatchTest, UnsupportedCountsAnswerTheParameterError) {
  // 4 to 11 and 13 or more words after the command word match no row.
  const std::string db = Db();
  for (int count : {4, 5, 8, 11, 13, 20}) {
    std::vector<std::string> args{"--add"};
    for (int i = 0; i < count; ++i) args.push_back("v");
    EXPECT_EQ(kHelp, Run(args)) << count;
  }
  EXPECT_EQ(db, Db());
}

TEST_F(DispatchTest, ShortAndLongWordsOfEveryPairDoTheSame) {
  EXPECT_EQ("b|A|a|", Run({"-l"}));
  EXPECT_EQ("b|A|a|", Run({"--list"}));
  EXPECT_EQ("A|a|b|", Run({"-lbn"}));
  EXPECT_EQ("A|a|b|", Run({"--listbyname"}));
  EXPECT_EQ("x3", Run({"-g", "b", "rate"}));
  EXPECT_EQ("x3", Run({"--get", "b", "rate"}));
  EXPECT_EQ("y1|y2|y3|y4|y5|y6|y7|y8|y9|y10|y11|", Run({"-pr", "A"}));
  EXPECT_EQ("y1|y2|y3|y4|y5|y6|y7|y8|y9|y10|y11|", Run({"--printrec", "A"}));
  EXPECT_EQ("a|", Run({"-fl", "Genre", "Z10"}));
  EXPECT_EQ("a|", Run({"--filter", "Genre", "Z10"}));
  EXPECT_EQ("!ok!", Run({"-e", "b", "plot", "e1"}));
  EXPECT_EQ("!ok!", Run({"--edit", "b", "tagline", "e2"}));
  EXPECT_EQ("e1e2", Run({"-g", "b", "plot"}) + Run({"-g", "b", "tagline"}));
  EXPECT_EQ("!ok!", Run(Movie("-a", "N1", "n")));
  EXPECT_EQ("!ok!", Run(Movie("--add", "N2", "n")));
  EXPECT_EQ("!ok!", Run(Movie("-c", "N1", "c")));
  EXPECT_EQ("!ok!", Run(Movie("--change", "N2", "d")));
  EXPECT_EQ("c5d5", Run({"-g", "N1", "director"}) +
                        Run({"-g", "N2", "director"}));
  EXPECT_EQ("!ok!", Run({"-d", "N1"}));
  EXPECT_EQ("!ok!", Run({"--del", "N2"}));
  EXPECT_EQ("b|A|a|", Run({"-l"}));
}

TEST_F(DispatchTest, ArgumentsAreTakenAsTheyAre) {
  EXPECT_EQ("!ok!", Run({"--add", " spaced ", "", "", "", "", "", "", "",
                         "", "", "", ""}));
  EXPECT_EQ("b|A|a| spaced |", Run({"--list"}));
  EXPECT_EQ("", Run({"--get", " spaced ", "plot"}));
  EXPECT_EQ("!error!", Run({"--get", "spaced", "plot"}));
}

TEST_F(DispatchTest, NamesAreStoredAsTheyArriveByteForByte) {
  // Bytes above 127 as a caller in a single-byte code page passes them.
  const std::string name = "Caf\xe9 \xc4x";
  EXPECT_EQ("!ok!", Run(Movie("--add", name, "v")));
  EXPECT_EQ("b|A|a|" + name + "|", Run({"--list"}));
  EXPECT_EQ("v1", Run({"--get", name, "plot"}));
  EXPECT_NE(std::string::npos, Db().find("[" + name + "]"));
}

}  // namespace
