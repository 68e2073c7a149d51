#include "scratch-file.h"

#include <cstdio>

#include "file-faults.h"
#include "file-identity.h"
#include "file-replace.h"
#include "line-end.h"
#include "store-place.h"
#include "write-back.h"

namespace {

// A stream buffer about the size of a read block. A rewrite copies block by
// block, and a buffer that stays in the processor's cache made a 44 MB copy
// markedly faster than one of a megabyte.
constexpr size_t kBufferSize = 1 << 16;

// Written data is handed to the disk in steps of this size while the rest is
// still being written, so that the flush at the end waits for little.
constexpr int64_t kWriteBackStep = 4 << 20;

}  // namespace

ScratchFile::ScratchFile(const sString& sName)
    : name_(sName),
      file_(nullptr),
      failed_(false),
      written_(0),
      written_back_(0),
      next_write_(0) {}

ScratchFile::~ScratchFile() { Discard(); }

bool ScratchFile::Open(const sString& sFile) {
  if (file_ != nullptr) std::fclose(file_);
  file_ = nullptr;
  if (!RewriteTarget(sFile, &target_) || !MayChange(target_)) return false;
  // Beside the target, so that the final move stays on one file system.
  path_ = Beside(target_, name_);
  // Making the scratch file removes what its name held first: never the
  // file to be rewritten, whatever name (the scratch name itself, a link, a
  // hard link) reaches it.
  if (SameFile(path_, target_)) return false;
  if (FileCallFails(FileCall::kOpen)) return false;
  file_ = CreateScratchFor(path_, target_);
  if (file_ == nullptr) return false;
  buffer_.resize(kBufferSize);
  std::setvbuf(file_, buffer_.data(), _IOFBF, buffer_.size());
  written_ = written_back_ = 0;
  next_write_ = static_cast<int64_t>(kBufferSize);
  failed_ = false;
  return true;
}

void ScratchFile::Write(std::string_view sText) {
  if (file_ == nullptr || sText.empty()) return;
  std::fwrite(sText.data(), 1, sText.size(), file_);
  Wrote(sText.size());
}

void ScratchFile::WriteLine(std::string_view sText) {
  CopyLine(sText, kLineEnd);
}

void ScratchFile::CopyLine(std::string_view sText, std::string_view sEnd) {
  if (file_ == nullptr) return;
  if (sEnd.empty()) sEnd = kLineEnd;
  if (!sText.empty()) std::fwrite(sText.data(), 1, sText.size(), file_);
  std::fwrite(sEnd.data(), 1, sEnd.size(), file_);
  Wrote(sText.size() + sEnd.size());
}

void ScratchFile::Wrote(size_t n) {
  written_ += static_cast<int64_t>(n);
  // The stream hands the system a full buffer at a time: that is where a
  // write can fail.
  if (written_ >= next_write_) {
    const int64_t kBlock = static_cast<int64_t>(kBufferSize);
    next_write_ = written_ - written_ % kBlock + kBlock;
    if (FileCallFails(FileCall::kWrite)) failed_ = true;
  }
  if (written_ - written_back_ >= kWriteBackStep)
    written_back_ = StartWriteBack(file_, written_back_, written_);
}

bool ScratchFile::PutInPlace() {
  if (file_ == nullptr) return false;
  // The flush writes what the buffer still holds, then the file goes to the
  // disk.
  const bool bRest =
      written_ > next_write_ - static_cast<int64_t>(kBufferSize);
  bool bWritten = !failed_ && std::ferror(file_) == 0 &&
                  !(bRest && FileCallFails(FileCall::kWrite)) &&
                  !FileCallFails(FileCall::kFlush) &&
                  !FileCallFails(FileCall::kSync) && FlushToDisk(file_);
  bool bClosed = !FileCallFails(FileCall::kClose);
  bClosed = std::fclose(file_) == 0 && bClosed;
  file_ = nullptr;
  if (!bWritten || !bClosed) return false;
  if (FileCallFails(FileCall::kRename)) return false;
  return MoveIntoPlace(path_, target_);
}

void ScratchFile::Discard() {
  if (file_ == nullptr) return;
  std::fclose(file_);
  file_ = nullptr;
  std::remove(path_.c_str());
}

// The scratch files of a rewrite are made beside the file it finally
// replaces, and so are the files that go with the store (its lock).
bool BesideStoreFile(const sString& sFile, const sString& sName,
                     sString* pPath) {
  sString sTarget;
  if (!RewriteTarget(sFile, &sTarget)) return false;
  *pPath = Beside(sTarget, sName);
  return true;
}
