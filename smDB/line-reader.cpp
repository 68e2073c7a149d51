#include "line-reader.h"

#include <cstddef>
#include <cstring>

#include "file-faults.h"
#include "read-open.h"

namespace {

// Needles are short and compared at every hit: a plain loop beats a call of
// memcmp.
bool SameBytes(const char* a, const char* b, size_t n) {
  for (size_t i = 0; i < n; ++i)
    if (a[i] != b[i]) return false;
  return true;
}

}  // namespace

size_t LineTextEnd(std::string_view sLines, size_t i) {
  const size_t iEnd = sLines.find('\n', i);
  if (iEnd == std::string_view::npos) return sLines.size();
  return iEnd > i && sLines[iEnd - 1] == '\r' ? iEnd - 1 : iEnd;
}

// The default block is small enough to stay in the processor's cache while
// it is split and searched.
LineReader::LineReader(size_t iBlockSize)
    : file_(nullptr),
      block_size_(iBlockSize > 0 ? iBlockSize : 1),
      pos_(0),
      end_(0),
      carry_handed_(false),
      done_(true),
      missing_(false),
      failed_(false),
      ended_by_newline_(false),
      ended_by_crlf_(false) {}

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const sString& sFile) {
  Close();
  missing_ = failed_ = false;
  // As bytes: a text-mode stream on Windows ends the file at the first byte
  // 0x1A, and every rewrite would then lose what follows it. Line ends are
  // recognised here instead, the same way on every system.
  file_ = OpenForReading(sFile, &missing_);
  if (file_ == nullptr) {
    failed_ = !missing_;
    return false;
  }
  buffer_.resize(block_size_);
  pos_ = end_ = 0;
  carry_.clear();
  carry_handed_ = false;
  done_ = false;
  ended_by_newline_ = false;
  ended_by_crlf_ = false;
  // POSIX systems open a folder for reading and fail only on the first read;
  // to the callers that is a file that cannot be read.
  if (!Fill() && failed_) {
    Close();
    return false;
  }
  return true;
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  done_ = true;
}

bool LineReader::Fill() {
  if (file_ == nullptr) return false;
  size_t got = 0;
  if (FileCallFails(FileCall::kRead)) {
    failed_ = true;
  } else {
    got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
    // A short read that hit an error is followed by one that reads nothing.
    if (got == 0 && std::ferror(file_)) failed_ = true;
  }
  needle_.Forget();
  other_.Forget();
  pos_ = 0;
  end_ = got;
  return got > 0;
}

bool LineReader::Next(std::string_view* line) {
  if (done_) return false;
  if (carry_handed_) {
    carry_.clear();
    carry_handed_ = false;
  }
  for (;;) {
    const char* start = buffer_.data() + pos_;
    size_t avail = end_ - pos_;
    const void* nl = avail > 0 ? std::memchr(start, '\n', avail) : nullptr;
    if (nl != nullptr) {
      size_t len = static_cast<const char*>(nl) - start;
      pos_ += len + 1;
      ended_by_newline_ = true;
      if (carry_.empty()) {
        *line = std::string_view(start, len);
      } else {
        // The "\r" of a "\r\n" may have come at the end of the last block.
        carry_.append(start, len);
        carry_handed_ = true;
        *line = carry_;
      }
      ended_by_crlf_ = !line->empty() && line->back() == '\r';
      if (ended_by_crlf_) line->remove_suffix(1);
      return true;
    }
    carry_.append(start, avail);
    pos_ = end_;
    if (!Fill()) {
      Close();
      // What a failed read cut short is no line of the file.
      if (failed_) {
        carry_.clear();
        return false;
      }
      // End of file: whatever follows the last "\n" is the last line, even
      // when it is empty.
      ended_by_newline_ = false;
      ended_by_crlf_ = false;
      carry_handed_ = true;
      *line = carry_;
      return true;
    }
  }
}

// The skips leave a line assembled in carry_ alone: the caller may still hold
// it, and Next clears it first.
std::string_view LineReader::SkipTo(size_t upto) {
  std::string_view skipped(buffer_.data() + pos_, upto - pos_);
  pos_ = upto;
  return skipped;
}

std::string_view LineReader::SkipToLineWith(std::string_view needle,
                                            std::string_view other) {
  if (done_ || needle.empty()) return {};
  const char* begin = buffer_.data() + pos_;
  const char* end = buffer_.data() + end_;
  needle_.Set(needle);
  const char* hit = needle_.Find(begin, end);
  if (!other.empty()) {
    other_.Set(other);
    const char* hit2 = other_.Find(begin, hit == nullptr ? end : hit);
    if (hit2 != nullptr) hit = hit2;
  }
  // Without a hit every whole line may go: a needle that starts in the last,
  // unfinished line is found once Next has completed that line.
  const char* limit = hit == nullptr ? end : hit;
  // Back to the start of the line at `limit`: one line's length at most.
  const char* start = limit;
  while (start > begin && start[-1] != '\n') --start;
  return SkipTo(static_cast<size_t>(start - buffer_.data()));
}

std::string_view LineReader::SkipLines(int64_t iMax, int64_t* pSkipped) {
  *pSkipped = 0;
  if (done_ || iMax <= 0) return {};
  const char* p = buffer_.data() + pos_;
  const char* end = buffer_.data() + end_;
  while (*pSkipped < iMax) {
    const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (nl == nullptr) break;
    p = static_cast<const char*>(nl) + 1;
    ++*pSkipped;
  }
  return SkipTo(static_cast<size_t>(p - buffer_.data()));
}

std::string_view LineReader::SkipWholeLines() {
  if (done_) return {};
  const char* begin = buffer_.data() + pos_;
  const char* start = buffer_.data() + end_;
  while (start > begin && start[-1] != '\n') --start;
  return SkipTo(static_cast<size_t>(start - buffer_.data()));
}

void LineReader::Needle::Set(std::string_view text) {
  if (text.size() == text_.size() &&
      SameBytes(text.data(), text_.data(), text.size()))
    return;
  text_.assign(text);
  Forget();
}

const char* LineReader::Needle::Find(const char* begin, const char* end) {
  const size_t n = text_.size();
  if (n == 0) return begin;
  // No occurrence starts in [from_, hit_), so for a later begin up to hit_
  // the first one is hit_ again; a search without a hit covers any range
  // inside its own.
  if (from_ != nullptr && begin >= from_) {
    if (hit_ != nullptr && begin <= hit_)
      return static_cast<size_t>(end - hit_) >= n ? hit_ : nullptr;
    if (hit_ == nullptr && end <= to_) return nullptr;
  }
  // memchr to each occurrence of the first byte, then compare the rest. In
  // catalogue text this beats table-driven searches, whose byte-by-byte
  // shifting cannot use the wide compares memchr does.
  const char* found = nullptr;
  const char* p = begin;
  while (end - p >= static_cast<std::ptrdiff_t>(n)) {
    p = static_cast<const char*>(
        std::memchr(p, text_[0], static_cast<size_t>(end - p) - n + 1));
    if (p == nullptr) break;
    if (SameBytes(p + 1, text_.data() + 1, n - 1)) {
      found = p;
      break;
    }
    ++p;
  }
  from_ = begin;
  to_ = end;
  hit_ = found;
  return found;
}
