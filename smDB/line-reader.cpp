#include "line-reader.h"

#include <cstring>

namespace {

// Large blocks keep the number of library calls per file small; a catalogue
// of tens of megabytes is read in a few dozen calls.
constexpr size_t kBlockSize = 1 << 20;

}  // namespace

LineReader::LineReader()
    : file_(nullptr),
      pos_(0),
      end_(0),
      carry_handed_(false),
      done_(true),
      ended_by_newline_(false) {}

LineReader::~LineReader() { Close(); }

bool LineReader::Open(const sString& sFile) {
  Close();
  file_ = std::fopen(sFile.c_str(), "r");
  if (file_ == nullptr) return false;
  buffer_.resize(kBlockSize);
  pos_ = end_ = 0;
  carry_.clear();
  carry_handed_ = false;
  done_ = false;
  ended_by_newline_ = false;
  return true;
}

void LineReader::Close() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  done_ = true;
}

bool LineReader::Fill() {
  if (file_ == nullptr) return false;
  size_t got = std::fread(buffer_.data(), 1, buffer_.size(), file_);
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
        carry_.append(start, len);
        carry_handed_ = true;
        *line = carry_;
      }
      return true;
    }
    carry_.append(start, avail);
    pos_ = end_;
    if (!Fill()) {
      // End of file: whatever follows the last "\n" is the last line, even
      // when it is empty.
      Close();
      ended_by_newline_ = false;
      carry_handed_ = true;
      *line = carry_;
      return true;
    }
  }
}
