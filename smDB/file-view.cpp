#include "file-view.h"

bool FileView::ReadRest(FILE* file) {
  // Large reads: the whole file passes through here once.
  constexpr size_t kChunk = 1 << 20;
  copy_.clear();
  for (;;) {
    const size_t have = copy_.size();
    copy_.resize(have + kChunk);
    const size_t got = std::fread(&copy_[have], 1, kChunk, file);
    copy_.resize(have + got);
    if (got < kChunk) break;
  }
  if (std::ferror(file)) {
    copy_.clear();
    return false;
  }
  data_ = copy_.data();
  size_ = copy_.size();
  return true;
}
