// The plain wget download's pieces that need no download: the time limit
// taken from the environment and the judgement of wget's log.
#include <gtest/gtest.h>

#include "download-parts.h"
#include "web_file_test.h"

TEST(DownloadTimeout, WholeSecondsFromTheVariableElseSixty) {
  EXPECT_EQ(60, DownloadTimeout(nullptr));
  EXPECT_EQ(5, DownloadTimeout("5"));
  EXPECT_EQ(1, DownloadTimeout("1"));
  EXPECT_EQ(86400, DownloadTimeout("86400"));
  EXPECT_EQ(7, DownloadTimeout("007"));
  for (const char* bad : {"", "0", "-5", "+5", " 5", "5 ", "5s", "2.5", "abc",
                          "86401", "99999999999999999999"}) {
    EXPECT_EQ(60, DownloadTimeout(bad)) << bad;
  }
}

class WgetLogTest : public WebFileTest {
 protected:
  bool Judge(const std::string& log) {
    Write("log", log);
    return WgetLogSaysSaved("log");
  }
};

TEST_F(WgetLogTest, TwoSuccessLinesMeanSaved) {
  EXPECT_TRUE(Judge("HTTP request sent, awaiting response... 200 OK\n"
                    "Length: 5\n"
                    "2024 - 'page.htm' saved [5/5]\n"));
  EXPECT_TRUE(Judge("x 200 OK\r\n'f' saved [1/1]\r\n"));
}

TEST_F(WgetLogTest, LastLineWithoutLineFeedCounts) {
  EXPECT_TRUE(Judge("200 OK\n'f' saved [1/1]"));
}

TEST_F(WgetLogTest, AnswerLinesWithoutTheCompletionLineAreNoSuccess) {
  // One answer line per try of a download that was cut short every time.
  EXPECT_FALSE(Judge("awaiting response... 200 OK\n"
                     "Connection closed at byte 1109. Retrying.\n"
                     "awaiting response... 200 OK\n"
                     "Connection closed at byte 1109. Giving up.\n"));
}

TEST_F(WgetLogTest, ALineHoldingBothCountsOnce) {
  EXPECT_FALSE(Judge("200 OK and 'f' saved\n"));
  EXPECT_FALSE(Judge("200 OK\n"));
}

TEST_F(WgetLogTest, OtherWordingsAreNoSuccess) {
  EXPECT_FALSE(Judge("awaiting response... 404 Not Found\n"
                     "ERROR 404: Not Found.\n"));
  // Typographic quotes, as written outside the C locale, are not the marker.
  EXPECT_FALSE(Judge("200 OK\n\xE2\x80\x98" "f\xE2\x80\x99 saved [1/1]\n"));
  EXPECT_FALSE(Judge(""));
}

TEST_F(WgetLogTest, MissingLogIsNoSuccess) {
  EXPECT_FALSE(WgetLogSaysSaved("absent"));
}
