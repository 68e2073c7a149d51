// Answers no movie service sends: nested too deep, with a value too long,
// lists too long, and other shapes at the size cap. Each is refused, or read
// within a bounded amount of memory, measured through the allocation seam.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <iostream>
#include <string>
#include <vector>

#include "json-pick.h"
#include "service-json.h"
#include "service-source.h"
#include "support/failing_allocations.h"
#include "web_file_test.h"

namespace {

// The size cap of an answer, and the memory reading one may take in all.
constexpr size_t kCap = size_t{16} << 20;
constexpr int64_t kMemoryBound = int64_t{64} << 20;

std::string Repeat(const std::string& unit, size_t n) {
  std::string s;
  s.reserve(unit.size() * n);
  for (size_t i = 0; i < n; ++i) s += unit;
  return s;
}

// `head`, then as many `unit` as fit before `last` and `tail` within the
// size cap, then `last` and `tail`.
std::string Fill(const std::string& head, const std::string& unit,
                 const std::string& last, const std::string& tail) {
  const size_t n = (kCap - head.size() - last.size() - tail.size()) / unit.size();
  return head + Repeat(unit, n) + last + tail;
}

// A movie answer whose member "x" nests `depth` - 1 levels inside the answer.
std::string NestedArrays(int depth) {
  return "{\"id\":1,\"x\":" + Repeat("[", depth - 1) + Repeat("]", depth - 1) + "}";
}
std::string NestedObjects(int depth) {
  return "{\"id\":1,\"x\":" + Repeat("{\"a\":", depth - 1) + "1" +
         Repeat("}", depth - 1) + "}";
}

bool ReadsAsMovie(const std::string& body, ServiceMovie* pMovie = nullptr) {
  ServiceMovie m;
  const bool bRead = ReadMovieAnswer(body, &m);
  if (pMovie != nullptr) *pMovie = m;
  return bRead;
}

}  // namespace

TEST(ServiceAnswerLimitsTest, NestingAndValueLengthsUpToTheLimitsAndNoFurther) {
  const std::string kLong(kMaxJsonToken, 'a');
  const struct {
    const char* what;
    std::string body;
    bool read;
    size_t plot;  // the length of the plot read
  } kCases[] = {
      {"arrays 64 deep", NestedArrays(kMaxJsonDepth), true, 0},
      {"arrays 65 deep", NestedArrays(kMaxJsonDepth + 1), false, 0},
      {"objects 64 deep", NestedObjects(kMaxJsonDepth), true, 0},
      {"objects 65 deep", NestedObjects(kMaxJsonDepth + 1), false, 0},
      {"a plot of the longest length",
       "{\"id\":1,\"overview\":\"" + kLong + "\"}", true, kMaxJsonToken},
      {"a plot one byte longer", "{\"id\":1,\"overview\":\"" + kLong + "a\"}",
       false, 0},
      {"a long text nobody reads", "{\"id\":1,\"x\":\"" + kLong + "a\"}", false, 0},
      {"a long key", "{\"id\":1,\"" + kLong + "a\":1}", false, 0},
      // Each escape is two bytes of text and one of the plot.
      {"escapes counted by their bytes",
       "{\"id\":1,\"overview\":\"" + Repeat("\\n", kMaxJsonToken / 2) + "\"}",
       true, kMaxJsonToken / 2},
      {"escapes one byte too many",
       "{\"id\":1,\"overview\":\"" + Repeat("\\n", kMaxJsonToken / 2) + "a\"}",
       false, 0},
      {"a number of the longest length",
       "{\"id\":1,\"runtime\":0." + std::string(kMaxJsonToken - 3, '0') + "1}", true,
       0},
      {"a number one digit longer",
       "{\"id\":1,\"runtime\":0." + std::string(kMaxJsonToken - 2, '0') + "1}", false,
       0},
  };
  for (const auto& c : kCases) {
    ServiceMovie m;
    EXPECT_EQ(c.read, ReadsAsMovie(c.body, &m)) << c.what;
    EXPECT_EQ(c.plot, m.sPlot.size()) << c.what;
  }
}

TEST(ServiceAnswerLimitsTest, AListKeepsItsFirstEntriesOnly) {
  std::string body = "{\"results\":[";
  for (size_t i = 1; i <= kMaxJsonElements + 5; ++i)
    body += (i > 1 ? ",{\"id\":" : "{\"id\":") + std::to_string(i) + "}";
  body += "]}";
  std::vector<ServiceMatch> found;
  ASSERT_TRUE(ReadSearchAnswer(body, &found));
  ASSERT_EQ(kMaxJsonElements, found.size());
  EXPECT_EQ("1", found.front().sId);
  EXPECT_EQ(std::to_string(kMaxJsonElements), found.back().sId);
}

TEST(ServiceAnswerLimitsTest, ReadsAsAWholeDocumentWouldWithOnlyTheNeededParts) {
  // A member named twice counts by its last value; members of the same name
  // deeper down are not the answer's; a text that is an object is no text.
  std::vector<ServiceMatch> found;
  ASSERT_TRUE(ReadSearchAnswer(
      "{\"results\":[{\"id\":1}],\"x\":{\"results\":[]},"
      "\"results\":[{\"id\":2,\"id\":3},{\"title\":\"t\",\"id\":4,\"title\":\"u\"}]}",
      &found));
  ASSERT_EQ(2u, found.size());
  EXPECT_EQ("3", found[0].sId);
  EXPECT_EQ("4", found[1].sId);
  EXPECT_EQ("u", found[1].sTitle);
  EXPECT_FALSE(ReadSearchAnswer("{\"results\":[],\"results\":{}}", &found));

  ServiceMovie m;
  ASSERT_TRUE(ReadsAsMovie(
      "{\"x\":{\"id\":6,\"overview\":\"no\"},\"id\":5,\"overview\":\"yes\","
      "\"tagline\":{\"a\":\"b\"},\"genres\":[{\"name\":\"A\"},[],7,{\"name\":\"B\"}],"
      "\"credits\":{\"crew\":[{\"job\":\"Director\",\"name\":\"Old\"}]},"
      "\"credits\":{\"crew\":[{\"name\":\"N\",\"job\":\"Director\",\"name\":\"M\"}],"
      "\"cast\":[{\"character\":\"R\",\"name\":\"P\"}]}}",
      &m));
  EXPECT_EQ("yes", m.sPlot);
  EXPECT_EQ("", m.sTag);
  EXPECT_EQ(" - A - B", m.sGen);
  EXPECT_EQ("M", m.sDir);
  EXPECT_EQ(" - P - R", m.sAct);
  sString id;
  ASSERT_TRUE(ReadFindAnswer("{\"movie_results\":[{},{\"id\":\"7\"},{\"id\":8}]}", &id));
  EXPECT_EQ("8", id);
  EXPECT_EQ("m", ReadStatusMessage("{\"status_message\":\"x\",\"status_message\":\"m\"}"));
}

// --- memory ---

namespace {

// Which reader an answer goes to.
enum class Reader { kSearch, kFind, kMovie, kStatus };

struct HostileAnswer {
  const char* what;
  std::function<std::string()> make;
  Reader reader;
  bool read;  // whether the reader takes it
};

const std::string kTitle(kMaxJsonToken - 10, 't');

const std::vector<HostileAnswer>& HostileAnswers() {
  static const std::vector<HostileAnswer> kAnswers = {
      {"16 MiB of [", [] { return std::string(kCap, '['); }, Reader::kSearch, false},
      {"16 MiB of {\"a\":", [] { return Fill("", "{\"a\":", "", ""); },
       Reader::kMovie, false},
      {"one text of 16 MiB",
       [] { return Fill("{\"id\":1,\"overview\":\"", "a", "", "\"}"); },
       Reader::kMovie, false},
      {"one number of 16 MiB", [] { return Fill("{\"id\":", "1", "", "}"); },
       Reader::kMovie, false},
      {"empty results", [] { return Fill("{\"results\":[", "{},", "{}", "]}"); },
       Reader::kSearch, true},
      {"results of an id each",
       [] { return Fill("{\"results\":[", "{\"id\":1},", "{}", "]}"); },
       Reader::kSearch, true},
      {"results that are lists",
       [] { return Fill("{\"results\":[", "[],", "[]", "]}"); }, Reader::kSearch,
       true},
      {"results of the longest titles",
       [] {
         return Fill("{\"results\":[",
                     "{\"id\":1,\"title\":\"" + kTitle + "\",\"original_title\":\"x\"},",
                     "{}", "]}");
       },
       Reader::kSearch, true},
      {"a list nobody reads", [] { return Fill("{\"x\":[", "[1,{}],", "1", "]}"); },
       Reader::kSearch, false},
      {"16 MiB of spaces", [] { return Fill("{\"id\":1", " ", "", "}"); },
       Reader::kMovie, true},
      {"movies found",
       [] { return Fill("{\"movie_results\":[{\"id\":9},", "{\"a\":0},", "{}", "]}"); },
       Reader::kFind, true},
      {"a crew of directors",
       [] {
         return Fill("{\"id\":1,\"credits\":{\"crew\":[",
                     "{\"job\":\"Director\",\"name\":\"n\"},", "{}", "]}}");
       },
       Reader::kMovie, true},
      {"a cast of the longest names",
       [] {
         return Fill("{\"id\":1,\"credits\":{\"cast\":[",
                     "{\"name\":\"" + kTitle + "\",\"character\":\"c\"},", "{}", "]}}");
       },
       Reader::kMovie, true},
      {"genres", [] { return Fill("{\"id\":1,\"genres\":[", "{\"name\":\"g\"},", "{}", "]}"); },
       Reader::kMovie, true},
      {"an error body of many keys",
       [] { return Fill("{", "\"k\":\"v\",", "\"status_message\":\"m\"", "}"); },
       Reader::kStatus, true},
  };
  return kAnswers;
}

}  // namespace

// Each answer through the source, from the file the downloader wrote to the
// values of a record: the answer read into memory counts too. An error
// body is read for the service's message.
class ServiceSourceMemoryTest : public WebFileTest {};

TEST_F(ServiceSourceMemoryTest, EveryAnswerWithinTheCapIsRefusedOrReadWithinTheBound) {
  std::string body;
  bool bError = false;  // the answer is an error body
  std::vector<std::string> log;
  ServiceSettings settings;
  settings.sApiBase = "http://api.test/3";
  settings.sToken = "t";
  ServiceSource source(
      settings,
      [&body, &bError](const DownloadRequest& r) {
        FILE* f = std::fopen(r.sFile.c_str(), "wb");
        if (f != nullptr) {
          std::fwrite(body.data(), 1, body.size(), f);
          std::fclose(f);
        }
        DownloadResult result;
        result.iHttpStatus = bError ? 404 : 200;
        result.bSaved = f != nullptr && !bError;
        return result;
      },
      [](int) {}, [&log](const sString& line) { log.push_back(line); }, 60);
  for (const HostileAnswer& a : HostileAnswers()) {
    body = a.make();
    ASSERT_LE(body.size(), kCap) << a.what;
    bError = a.reader == Reader::kStatus;
    log.clear();
    StartAllocationPeak();
    bool bRead;
    if (a.reader == Reader::kSearch || a.reader == Reader::kStatus) {
      bRead = source.Search("Anything").bFetched;
    } else {
      MovieDetails d;
      bRead = source.Details(a.reader == Reader::kFind ? "tt0000001" : "/movie/1", &d) ==
              DetailsStatus::kOk;
    }
    const int64_t iPeak = PeakAllocation();
    // A find answer leads to a details request, which gets the same answer;
    // an error body is a failed search whose log line gives its message.
    EXPECT_EQ(a.read && a.reader != Reader::kFind && !bError, bRead) << a.what;
    EXPECT_LT(iPeak, kMemoryBound) << a.what;
    if (bError) {
      EXPECT_EQ(std::vector<std::string>{settings.sApiBase +
                                         "/search/movie?query=Anything&include_"
                                         "adult=false&language=en-US: HTTP 404: m"},
                log)
          << a.what;
    } else if (!a.read) {
      EXPECT_EQ(1u, log.size()) << a.what;
    }
    EXPECT_FALSE(Exists("tmdb-answer.json")) << a.what;
    std::cout << a.what << ": " << iPeak / 1024 << " KiB in all\n";
  }
}
