// One entry of the search listing, as printInfoLine prints it.
#include "print-imdb-search.h"

#include <gtest/gtest.h>

#include "output.h"

namespace {

std::string Printed(const sString& line) {
  testing::internal::CaptureStdout();
  printInfoLine(line);
  FlushOutput();
  return testing::internal::GetCapturedStdout();
}

}  // namespace

TEST(PrintInfoLine, TitleYearTextAndLinkUpToTheQuestionMark) {
  EXPECT_EQ("Some Film (1999) | /title/tt0000001/ || ",
            Printed("<li>  <a href=\"/title/tt0000001/?fr=1\">Some Film</a> "
                    "(1999)<br>aka"));
}

TEST(PrintInfoLine, YearTextEndsAtListItemEndWithoutBr) {
  EXPECT_EQ("Q (1999) (TV) | /title/tt3/ || ",
            Printed("<li>  <a href=\"/title/tt3/?x\">Q</a> (1999) (TV)</li>"));
}

TEST(PrintInfoLine, LineWithoutLinkPrintsNothing) {
  EXPECT_EQ("", Printed("<p><b>Titles (Exact Matches)</b> (2)"));
  EXPECT_EQ("", Printed(""));
}

// --- malformed lines: the toolkit's bounds rules decide ---

TEST(PrintInfoLine, MissingYearEndPrintsTheWholeLineAsYear) {
  const sString line = "<a href=\"/t/?x\">T</a> (2000)";
  EXPECT_EQ("T " + line + " | /t/ || ", Printed(line));
}

TEST(PrintInfoLine, LinkWithoutQuestionMarkPrintsTheWholeLineAsLink) {
  // No "?": the title is then searched from the line's start as well.
  const sString line = "<a href=\"/t/\">T</a> (2000)<br>";
  EXPECT_EQ("<a href=\"/t/\">T (2000) | " + line + " || ", Printed(line));
}
