// The movie catalogue: whole-record writes, printing and filtering.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "failing_file_calls.h"
#include "field-values.h"
#include "output.h"
#include "smDB.h"
#include "support/eol.h"
#include "support/file_util.h"
#include "support/temp_dir.h"

namespace {

const std::string kHeader = "1.0.0-TALVERO_sTxtDB\n";

// The eleven field lines, "\n"-joined, with values v1 .. v11 prefixed by `p`.
std::string Body(const std::string& p) {
  return "plot=" + p + "1\ntagline=" + p + "2\nrate=" + p + "3\nyear=" + p +
         "4\ndirector=" + p + "5\nruntime=" + p + "6\ncomments=" + p +
         "7\npic=" + p + "8\nAct=" + p + "9\nGenre=" + p + "10\nType=" + p +
         "11";
}

class CatalogueTest : public ::testing::Test {
 protected:
  CatalogueTest() : cwd_(dir_.path()) {}

  void Given(const std::string& bytes) {
    WriteFile("db", bytes);
    db_.close();
    ASSERT_TRUE(db_.open("db"));
  }
  std::string Now() { return ReadFile("db"); }

  // Adds or changes `title` with the values p1 .. p11.
  bool Add(const std::string& title, const std::string& p) {
    return db_.addRec(title, p + "1", p + "2", p + "3", p + "4", p + "5",
                      p + "6", p + "7", p + "8", p + "9", p + "10", p + "11");
  }
  bool Change(const std::string& title, const std::string& p) {
    return db_.changeRec(title, p + "1", p + "2", p + "3", p + "4", p + "5",
                         p + "6", p + "7", p + "8", p + "9", p + "10",
                         p + "11");
  }

  // What printRec or printFilter wrote to standard output, and its result.
  std::string PrintRec(const std::string& title, bool* ok) {
    testing::internal::CaptureStdout();
    *ok = db_.printRec(title);
    FlushOutput();
    return testing::internal::GetCapturedStdout();
  }
  std::string Filter(const std::string& field, const std::string& wanted) {
    testing::internal::CaptureStdout();
    EXPECT_TRUE(db_.printFilter(field, wanted));
    FlushOutput();
    return testing::internal::GetCapturedStdout();
  }

  TempDir dir_;
  ScopedCwd cwd_;
  smDB db_;
};

TEST_F(CatalogueTest, AddAppendsTheMovieBlock) {
  Given(kHeader);
  EXPECT_TRUE(Add("First", "a"));
  EXPECT_TRUE(Add("Second", "b"));
  EXPECT_EQ(kHeader + Written("\n\n[First]\n" + Body("a") + "\n\n[Second]\n" +
                              Body("b")),
            Now());
  EXPECT_TRUE(db_.addRec("Empty", "", "", "", "", "", "", "", "", "", "", ""));
  const std::string empty = Written(
      "\n\n[Empty]\nplot=\ntagline=\nrate=\nyear=\ndirector=\nruntime="
      "\ncomments=\npic=\nAct=\nGenre=\nType=");
  EXPECT_EQ(empty, Now().substr(Now().size() - empty.size()));
}

TEST_F(CatalogueTest, AddRefusesTakenNames) {
  const std::string start =
      kHeader + "\n\n[First]\n" + Body("a") + "\nplot=see [Other]";
  Given(start);
  EXPECT_FALSE(Add("First", "x"));
  EXPECT_FALSE(Add("", "x"));
  EXPECT_EQ(start, Now());
  // A bracketed word inside a value is no record's name.
  EXPECT_TRUE(Add("Other", "x"));
}

TEST_F(CatalogueTest, ChangeReplacesTheWholeBody) {
  Given(kHeader + "\n\n[First]\n" + Body("a") + "\nextra=1\n\n[Second]\n" +
        Body("b"));
  EXPECT_TRUE(Change("First", "c"));
  EXPECT_EQ(kHeader + "\n\n[First]\n" + Written(Body("c") + "\n\n") +
                "[Second]\n" + Body("b") + kEol,
            Now());
  EXPECT_FALSE(FileExists("tmpfl"));
}

TEST_F(CatalogueTest, ChangeOfTheLastRecordEndsWithAnEmptyLine) {
  Given(kHeader + "\n\n[First]\n" + Body("a"));
  EXPECT_TRUE(Change("First", "c"));
  EXPECT_EQ(kHeader + "\n\n[First]\n" + Written(Body("c") + "\n\n"), Now());
  Given(kHeader + "\n\n[Bare] kept");  // header line is the file's last
  EXPECT_TRUE(Change("Bare", "d"));
  EXPECT_EQ(kHeader + "\n\n" + Written("[Bare] kept\n" + Body("d") + "\n\n"),
            Now());
  // A header line read with CR LF keeps it.
  Given(kHeader + "\n\n[First]\r\n" + Body("a"));
  EXPECT_TRUE(Change("First", "e"));
  EXPECT_EQ(kHeader + "\n\n[First]\r\n" + Written(Body("e") + "\n\n"), Now());
}

TEST_F(CatalogueTest, PrintRecPrintsElevenValuesInFieldOrder) {
  Given(kHeader + "\n\n[First]\n" + Body("a") + "\n\n[Second]\n" + Body("b"));
  bool ok = false;
  EXPECT_EQ("a1|a2|a3|a4|a5|a6|a7|a8|a9|a10|a11|", PrintRec("First", &ok));
  EXPECT_TRUE(ok);
  EXPECT_EQ("b1|b2|b3|b4|b5|b6|b7|b8|b9|b10|b11|", PrintRec("Second", &ok));
  EXPECT_TRUE(ok);
}

TEST_F(CatalogueTest, PrintRecValueRules) {
  // Keys out of order, a repeated plot, "\r" endings, an unknown key, and
  // missing fields.
  Given(kHeader + "[M]\nGenre=g\r\nplot=one\nplot=two\npic=p\r\r\nzz=9\n"
                  "no equals\n[N]\nplot=other");
  bool ok = false;
  EXPECT_EQ("two|||||||p||g||", PrintRec("M", &ok));
  EXPECT_TRUE(ok);
}

TEST_F(CatalogueTest, FilterMatchesSubstringsIgnoringAsciiCase) {
  Given(kHeader + "\n\n[A]\nGenre=Drama\n\n[B]\nGenre=melodrama, war\n\n[C]\n"
                  "Genre=Comedy\n\n[D]\nGenre=\n\n[E]\nGenre=DRAMA");
  EXPECT_EQ("A|B|E|", Filter("Genre", "drama"));
  EXPECT_EQ("A|B|C|E|", Filter("Genre", ""));
  EXPECT_EQ("", Filter("genre", "drama"));
  EXPECT_EQ("", Filter("Genre", "horror"));
}

TEST_F(CatalogueTest, FilterNamesRecordsByTheirHeaderLinesOnly) {
  // Bracketed words in values neither rename the record nor hide the line;
  // lines before the first header line belong to no record.
  Given("Genre=x\nGenre=[x\n" + kHeader +
        "[A]\nplot=The [Nostromo] crew\nGenre=x\nGenre=xx\n[B]\n"
        "Genre=[x]\nplot=[C] only\nGenre=X");
  EXPECT_EQ("A|A|B|B|", Filter("Genre", "x"));
  EXPECT_EQ("A|", Filter("plot", "nostromo"));
  Given(kHeader + "[A]\nplot=\xc3\xa9t\xc3\xa9");
  EXPECT_EQ("", Filter("plot", "\xc3\x89T\xc3\x89"));  // accents compared as is
  EXPECT_EQ("A|", Filter("plot", "\xc3\xa9T"));
}

TEST_F(CatalogueTest, FilterComparesEachValueInPlace) {
  // Only a to z are folded; bytes above 127 must match exactly.
  Given(kHeader + "[End]\nGenre=melodramA\n[Short]\nGenre=dram\n"
                  "[Restart]\nGenre=drdrdrama\n[Eq]\nGenre=a=B\n"
                  "[Latin]\nGenre=\xe9X-1\n[Upper]\nGenre=\xc9x-1");
  EXPECT_EQ("End|Restart|", Filter("Genre", "DRAMA"));
  EXPECT_EQ("End|Short|Restart|", Filter("Genre", "Dram"));
  EXPECT_EQ("", Filter("Genre", "melodrama, war"));  // longer than any value
  EXPECT_EQ("Eq|", Filter("Genre", "A=b"));
  EXPECT_EQ("Latin|", Filter("Genre", "\xe9x-1"));
  EXPECT_EQ("Upper|", Filter("Genre", "\xc9X"));
  EXPECT_EQ("Latin|Upper|", Filter("Genre", "X-1"));
}

TEST_F(CatalogueTest, FilterReadsLinesByTheStoresLineModel) {
  // One "\r" before a "\n" ends the line with it; a lone "\r" is text,
  // also at the very end of the file.
  Given(kHeader + "[Crlf]\r\nGenre=drama\r\n[Lone]\nGenre=dr\rama\n"
                  "[Last]\r\nGenre=war\r");
  EXPECT_EQ("Crlf|", Filter("Genre", "DRAMA"));
  EXPECT_EQ("", Filter("Genre", "a\r"));
  EXPECT_EQ("Lone|", Filter("Genre", "R\rA"));
  EXPECT_EQ("Last|", Filter("Genre", "aR\r"));
  EXPECT_EQ("", Filter("Genre", "A\r\n[LONE"));  // a value ends at its line
  // The key ends at the first "=" of its line and is compared by case.
  Given(kHeader + "[A]\nGenre==x\nGenre\nGENRE=x\n Genre=x\nGenre");
  EXPECT_EQ("A|", Filter("Genre", "=X"));
  EXPECT_EQ("", Filter("Genre=", "x"));
  EXPECT_EQ("A|", Filter("Genre", ""));  // only the first field line counts
}

TEST_F(CatalogueTest, FilterTakesHeaderNamesAsTheListingsDo) {
  // A header without "]" is named by its whole line; a "]" past the line's
  // end does not count. A header line is never a field line, whatever its
  // key, and a key holding a line break spans nothing.
  Given("[Before]x=1\n" + kHeader + "[open\r\nx=1\n[a]b]\nx=1\n[\nx=1\n"
        "[]\nx=11\n[x=1]\n[k]\nx\n=1\n[last");
  EXPECT_EQ("[open|a|[||", Filter("x", "1"));
  EXPECT_EQ("", Filter("[x", "1"));
  EXPECT_EQ("", Filter("[Before]x", "1"));
  EXPECT_EQ("", Filter("x\n", "1"));
  EXPECT_EQ("k|", Filter("", "1"));
  // The file's first line is a header line too; the key may end the file.
  Given("[First]\nGenre=x\n[Second]\nGenre=");
  EXPECT_EQ("First|", Filter("Genre", ""));
  Given("[Only]\nGenre=x");
  EXPECT_EQ("Only|", Filter("Genre", "X"));
}

TEST_F(CatalogueTest, FilterFindsFieldsAroundVeryLongLines) {
  const std::string sLong(3 << 20, 'g');  // larger than any read block
  Given(kHeader + "[" + sLong + "]\nplot=" + sLong + "Genre=x\nGenre=" +
        sLong + "drama\n[B]\nGenre=" + sLong);
  EXPECT_EQ(sLong + "|", Filter("Genre", "DRAMA"));
  EXPECT_EQ(sLong + "|B|", Filter("Genre", "gG"));
  EXPECT_EQ("", Filter("Genre", "x"));
  EXPECT_EQ(sLong + "|", Filter("plot", "gGenre=x"));
}

// --- error paths ---

TEST_F(CatalogueTest, EmptyTitlesAndTitlesHoldingACloseBracketAreRefused) {
  const std::string start = kHeader + "[Big]\n" + Body("a");  // no empty line
  Given(start);
  EXPECT_FALSE(Add("", "x"));
  EXPECT_FALSE(Add("[REC]", "x"));
  EXPECT_FALSE(Add("Big]", "x"));
  EXPECT_FALSE(Change("Big]", "x"));
  EXPECT_FALSE(Change("", "x"));
  EXPECT_EQ(start, Now());
  EXPECT_FALSE(FileExists("tmpfl"));
}

TEST_F(CatalogueTest, ClosedStoreOrAbsentTitle) {
  Given(kHeader + "\n\n[First]\n" + Body("a"));
  const std::string start = Now();
  bool ok = true;
  EXPECT_EQ("", PrintRec("Nobody", &ok));
  EXPECT_FALSE(ok);
  EXPECT_FALSE(Change("Nobody", "x"));
  EXPECT_FALSE(FileExists("tmpfl"));
  db_.close();
  EXPECT_FALSE(Add("New", "x"));
  EXPECT_FALSE(Change("First", "x"));
  EXPECT_EQ("", PrintRec("First", &ok));
  EXPECT_FALSE(ok);
  EXPECT_FALSE(db_.printFilter("plot", ""));
  EXPECT_EQ(start, Now());
}

TEST_F(CatalogueTest, FilterOnAnEmptyMissingOrUnreadableCatalogue) {
  Given("");
  EXPECT_EQ("", Filter("plot", ""));
  std::filesystem::remove("db");
  testing::internal::CaptureStdout();
  EXPECT_FALSE(db_.printFilter("plot", ""));
  std::filesystem::create_directory("db");
  EXPECT_FALSE(db_.printFilter("plot", ""));
  FlushOutput();
  EXPECT_EQ("", testing::internal::GetCapturedStdout());
}

TEST_F(CatalogueTest, LineBreakInAnyValueRefusesTheChange) {
  Given(kHeader + "\n\n[First]\n" + Body("a"));
  const std::string start = Now();
  EXPECT_FALSE(Add("New", "x\n[Forged]\nplot="));
  EXPECT_FALSE(Add("New\n", "x"));
  EXPECT_FALSE(db_.addRec("New", "", "", "", "", "", "", "", "", "", "",
                          "last\n"));
  EXPECT_FALSE(Change("First", "x\n"));
  EXPECT_FALSE(db_.changeRec("First", "", "", "", "", "", "", "\n", "", "",
                             "", ""));
  EXPECT_EQ(start, Now());
}

TEST_F(CatalogueTest, AnAddThatFailsPartWayCanBeRepeated) {
  Given(kHeader);
  FailAppendsAfterForTest(40);
  EXPECT_FALSE(Add("Big", std::string(100 * 1024, 'p')));
  FailAppendsAfterForTest(-1);
  EXPECT_EQ(kHeader, Now());
  EXPECT_TRUE(Add("Big", "b"));
  EXPECT_EQ(kHeader + Written("\n\n[Big]\n" + Body("b")), Now());
}

TEST_F(CatalogueTest, ChangeWhoseScratchCannotBeWrittenKeepsTheCatalogue) {
  Given(kHeader + "\n\n[First]\n" + Body("a"));
  const std::string start = Now();
  std::filesystem::create_directories("tmpfl/inside");
  EXPECT_FALSE(Change("First", "c"));
  EXPECT_EQ(start, Now());
}

}  // namespace

namespace {

TEST(FieldValuesTest, EveryValueOfTheKeyInARecordBodyInFileOrder) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  const struct {
    const char* what;
    std::string db;
    std::vector<sString> pics;
  } kCases[] = {
      {"one a record", kHeader + "\n\n[A]\n" + Body("a") + "\n\n[B]\n" + Body("b"),
       {"a8", "b8"}},
      {"repeated, empty, with \"=\" and CR LF",
       kHeader + "[A]\r\npic=x\r\npic=\r\npic==y\r\npicture=z\r\nPic=w\r\n pic=v",
       {"x", "", "=y"}},
      {"none before the first record", "pic=early\n[A]\nplot=pic=no\npic=late",
       {"late"}},
      {"a header line ends a body", "[A]\npic=1\n[B] pic=2\npic=3", {"1", "3"}},
      {"no record at all", kHeader, {}},
  };
  for (const auto& c : kCases) {
    WriteFile("db", c.db);
    std::vector<sString> pics{"left over"};
    EXPECT_TRUE(ReadFieldValues("db", "pic", &pics)) << c.what;
    EXPECT_EQ(c.pics, pics) << c.what;
  }
  std::vector<sString> pics;
  EXPECT_FALSE(ReadFieldValues("missing", "pic", &pics));
}

}  // namespace
