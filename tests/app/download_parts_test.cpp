// Reading the status and Retry-After of the last answer from wget's log (with
// and without -S) and from curl's header dump.
#include <gtest/gtest.h>

#include "download-parts.h"

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

}  // namespace
