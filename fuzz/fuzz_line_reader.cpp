// The line reader against the line model, with read blocks from one byte
// up, so that lines, skips and searches cross block edges often.
//
// Input: one byte picks the block size, a few bytes pick the calls (Next and
// the three skips, with needles cut from the text; 255 makes the next read
// fail), the rest is the file. A failed read must end the lines with Failed
// set and nothing but whole lines of the file handed out before.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "failing_file_calls.h"
#include "fuzz_support.h"
#include "line-reader.h"

namespace {

const char kFile[] = "lines.txt";

// The line model: split at each "\n"; the text after the last one is the
// last line, even when empty. `raw` keeps each line as it stands before its
// "\n" (what the skips hand back); a line's text drops one "\r" directly
// before that "\n". A "\r" anywhere else, the last line's too, is text.
struct ModelLines {
  std::vector<std::string> raw;
  std::vector<std::string> text;
  explicit ModelLines(const std::string& file) {
    size_t start = 0;
    for (;;) {
      const size_t end = file.find('\n', start);
      if (end == std::string::npos) break;
      raw.push_back(file.substr(start, end - start));
      const std::string& r = raw.back();
      text.push_back(!r.empty() && r.back() == '\r' ? r.substr(0, r.size() - 1)
                                                     : r);
      start = end + 1;
    }
    raw.push_back(file.substr(start));
    text.push_back(raw.back());
  }
};

// Checks that a skip handed back whole lines `lines[*next]...` as they stand
// in the file, with their line ends, none of them one that should have
// stopped it (a needle found in its raw bytes, "\r" of the end included,
// stops it), and moves on.
void CheckSkipped(std::string_view skipped,
                  const std::vector<std::string>& lines, size_t* next,
                  std::string_view needle, std::string_view other,
                  const char* what) {
  while (!skipped.empty()) {
    if (*next + 1 >= lines.size())
      fuzz::Fail(what, "skipped the last line or past it");
    const std::string& want = lines[*next];
    if (skipped.substr(0, want.size()) != want ||
        skipped.size() <= want.size() || skipped[want.size()] != '\n')
      fuzz::Fail(what, "skipped bytes are not the next whole lines");
    if (!needle.empty() &&
        (want.find(needle) != std::string::npos ||
         (!other.empty() && want.find(other) != std::string::npos)))
      fuzz::Fail(what, "skipped a line holding the needle: " + want);
    skipped.remove_prefix(want.size() + 1);
    ++*next;
  }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
  fuzz::EnterScratchFolder();
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  FuzzedDataProvider in(data, size);
  const size_t block = in.ConsumeBool() ? in.ConsumeIntegralInRange<size_t>(1, 9)
                                        : LineReader::kDefaultBlockSize;
  const std::vector<uint8_t> calls = in.ConsumeBytes<uint8_t>(
      in.ConsumeIntegralInRange<size_t>(0, 24));
  const std::string text = in.ConsumeRemainingBytesAsString();
  fuzz::WriteFile(kFile, text);
  const ModelLines model(text);
  const std::vector<std::string>& lines = model.text;

  FailFileCallNumber(0);
  LineReader reader(block);
  if (!reader.Open(kFile)) fuzz::Fail("cannot open a readable file");
  bool bFailed = false;  // a read was made to fail
  size_t next = 0;  // the model line that Next should hand out
  std::string_view line;
  std::string last;  // the line handed out last, as the model has it
  bool bHaveLine = false;
  for (size_t i = 0;; ++i) {
    const uint8_t call = i < calls.size() ? calls[i] : 0;
    std::string_view skipped;
    std::string needle, other;
    switch (call % 5) {
      case 1:
      case 2: {
        // Needles cut from the text are often found; any bytes rarely are.
        const size_t at = text.empty() ? 0 : (call * 7u) % text.size();
        needle = text.substr(at, 1 + call / 64);
        if (call % 5 == 2) other = text.substr(text.size() / 2, 2);
        skipped = reader.SkipToLineWith(needle, other);
        CheckSkipped(skipped, model.raw, &next, needle, other, "SkipToLineWith");
        break;
      }
      case 3: {
        int64_t iSkipped = -1;
        const int64_t iMax = call / 16;
        skipped = reader.SkipLines(iMax, &iSkipped);
        const size_t before = next;
        CheckSkipped(skipped, model.raw, &next, {}, {}, "SkipLines");
        if (iSkipped != static_cast<int64_t>(next - before) || iSkipped > iMax)
          fuzz::Fail("SkipLines miscounted");
        break;
      }
      case 4:
        skipped = reader.SkipWholeLines();
        CheckSkipped(skipped, model.raw, &next, {}, {}, "SkipWholeLines");
        break;
      default:
        // Only Next reads, so the failure comes in the Next below or a
        // later one.
        if (call == 255) FailFileCallNumber(1);
        break;
    }
    // A line handed out before a skip stays valid until the next call.
    if (bHaveLine && line != last)
      fuzz::Fail("a line changed under a skip", last);
    const bool bLine = reader.Next(&line);
    if (FileCallFailed()) bFailed = true;
    if (!bLine) break;
    if (next >= lines.size()) fuzz::Fail("a line after the last one", line);
    if (line != lines[next])
      fuzz::Fail("line differs from the model", lines[next]);
    if (reader.EndedByNewline() != (next + 1 < lines.size()))
      fuzz::Fail("EndedByNewline wrong at line", lines[next]);
    // Rewrites copy a line with this end, so it must be the file's own.
    const std::string want_end =
        next + 1 == lines.size()                    ? ""
        : model.raw[next].size() > lines[next].size() ? "\r\n"
                                                      : "\n";
    if (reader.LineEnd() != want_end)
      fuzz::Fail("LineEnd wrong at line", model.raw[next]);
    last = lines[next];
    bHaveLine = true;
    ++next;
  }
  FailFileCallNumber(0);
  if (reader.Failed() != bFailed)
    fuzz::Fail(bFailed ? "a failed read went unreported" : "Failed without a failure");
  if (!bFailed && next != lines.size()) fuzz::Fail("the reader stopped early");
  return 0;
}
