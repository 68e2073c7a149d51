#include "scratch-file.h"

#include <cstdio>

#include "file-replace.h"

namespace {

// A large stream buffer turns a line-by-line copy into a few big writes.
constexpr size_t kBufferSize = 1 << 20;

}  // namespace

ScratchFile::ScratchFile(const sString& sName)
    : name_(sName), file_(nullptr) {}

ScratchFile::~ScratchFile() {
  if (file_ != nullptr) std::fclose(file_);
}

bool ScratchFile::Open() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = std::fopen(name_.c_str(), "w");
  if (file_ == nullptr) return false;
  buffer_.resize(kBufferSize);
  std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  return true;
}

void ScratchFile::Write(std::string_view sText) {
  if (file_ == nullptr || sText.empty()) return;
  std::fwrite(sText.data(), 1, sText.size(), file_);
}

void ScratchFile::WriteLine(std::string_view sText) {
  if (file_ == nullptr) return;
  if (!sText.empty()) std::fwrite(sText.data(), 1, sText.size(), file_);
  std::fputc('\n', file_);
}

bool ScratchFile::PutInPlaceOf(const sString& sTarget) {
  if (file_ == nullptr) return false;
  bool bWritten = std::ferror(file_) == 0 && FlushToDisk(file_);
  bool bClosed = std::fclose(file_) == 0;
  file_ = nullptr;
  if (!bWritten || !bClosed) return false;
  return MoveIntoPlace(name_, sTarget);
}

void ScratchFile::Discard() {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  std::remove(name_.c_str());
}
