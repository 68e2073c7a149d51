// Reading the status and Retry-After of the last answer from wget's log (with
// and without -S) and from curl's header dump; what is left of a download
// once the downloader has run.
#include <gtest/gtest.h>

#include "download-parts.h"
#include "support/file_util.h"
#include "web_file_test.h"

namespace {

struct AnswerCase {
  const char* name;
  std::vector<sString> lines;
  int iStatus;
  int iRetryAfter;
};

const AnswerCase kAnswerCases[] = {
    {"nothing", {"Resolving www.example.test... failed"}, 0, -1},
    {"plain wget", {"Proxy request sent, awaiting response... 404 Not Found"},
     404, -1},
    {"wget redirect then page",
     {"HTTP request sent, awaiting response... 302 Found",
      "Location: http://x/ [following]",
      "HTTP request sent, awaiting response... 200 OK"},
     200, -1},
    {"wget -S", {"HTTP request sent, awaiting response... ",
                 "  HTTP/1.1 429 Too Many Requests", "  Retry-After: 12"},
     429, 12},
    {"curl dump, any case",
     {"HTTP/1.1 429 Too Many Requests\r", "retry-after:3\r", "\r"}, 429, 3},
    {"http/2", {"HTTP/2 503", "Retry-After: 1"}, 503, 1},
    {"a date is not seconds",
     {"HTTP/1.1 503 Busy", "Retry-After: Wed, 21 Oct 2026 07:28:00 GMT"}, 503,
     -1},
    {"a new answer forgets the old wait",
     {"HTTP/1.1 429 Slow down", "Retry-After: 5", "HTTP/1.1 200 OK"}, 200, -1},
    {"too long a wait", {"HTTP/1.1 429 x", "Retry-After: 99999999999"}, 429,
     -1},
    {"not a status", {"HTTP/1.1 20 short", "awaiting response... 2000"}, 0,
     -1},
};

TEST(LastHttpAnswer, StatusAndRetryAfterOfTheLastAnswer) {
  for (const AnswerCase& c : kAnswerCases) {
    const HttpAnswer answer = LastHttpAnswer(c.lines);
    EXPECT_EQ(c.iStatus, answer.iStatus) << c.name;
    EXPECT_EQ(c.iRetryAfter, answer.iRetryAfter) << c.name;
  }
}

TEST(HasLineBreak, AnyLineEndOrNulCannotBePassedOn) {
  EXPECT_FALSE(HasLineBreak("Authorization: Bearer abc"));
  EXPECT_TRUE(HasLineBreak("a\nb"));
  EXPECT_TRUE(HasLineBreak("a\rb"));
  EXPECT_TRUE(HasLineBreak(sString("a\0b", 3)));
}

TEST(CurlQuoted, QuotesAndBackslashesAreEscaped) {
  EXPECT_EQ("\"http://h/a?b=c d\"", CurlQuoted("http://h/a?b=c d"));
  EXPECT_EQ("\"x: \\\"q\\\" \\\\n\"", CurlQuoted("x: \"q\" \\n"));
}

class FinishDownloadTest : public WebFileTest {};

TEST_F(FinishDownloadTest, WhatIsKeptAndWhyItFailed) {
  const struct {
    const char* what;
    bool bSaved;      // as the downloader's log or status tells
    bool bTooLarge;   // the run's own finding
    bool bTimedOut;
    bool bKeepErrorBody;
    int iStatus;
    int iExit;
    bool bResult;
    bool bFileLeft;
    const char* failure;
  } kCases[] = {
      {"saved", true, false, false, false, 200, 0, true, true, ""},
      {"saved but past the limit", true, true, false, false, 200, 0, false,
       false, "the document passed the size limit of 100 bytes"},
      {"an error body kept", false, false, false, true, 404, 8, false, true,
       "the server answered with status 404"},
      {"an error body past the limit", false, true, false, true, 404, 8, false,
       false, "the document passed the size limit of 100 bytes"},
      {"stopped at the limit", false, true, false, false, 200, -1, false, false,
       "the document passed the size limit of 100 bytes"},
      {"stopped at the time limit", false, false, true, false, 0, -1, false,
       false, "time limit of 7 s passed"},
      {"curl refused it", false, true, false, false, 200, 63, false, false,
       "the document passed the size limit of 100 bytes"},
      {"a write error", false, false, false, false, 200, 3, false, false,
       "wget exited with status 3"},
  };
  for (const auto& c : kCases) {
    Write("doc.out", "bytes");
    DownloadRequest request;
    request.sFile = "doc.out";
    request.iMaxBytes = 100;
    request.iTimeoutSeconds = 7;
    request.bKeepErrorBody = c.bKeepErrorBody;
    DownloaderRun run;
    run.bStarted = true;
    run.bTooLarge = c.bTooLarge;
    run.bTimedOut = c.bTimedOut;
    run.iExitStatus = c.iExit;
    const DownloadResult r = FinishDownload(request, DownloaderKind::kWget,
                                            run, c.bSaved, {c.iStatus, -1});
    EXPECT_EQ(c.bResult, r.bSaved) << c.what;
    EXPECT_EQ(c.bFileLeft, Exists("doc.out")) << c.what;
    EXPECT_EQ(c.failure, r.sFailure) << c.what;
  }
}

}  // namespace
