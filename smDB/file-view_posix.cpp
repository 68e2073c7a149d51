#include "file-view.h"

#include <sys/mman.h>
#include <sys/stat.h>

#include "read-open.h"

namespace {

// Closes the stream when the opening is done with it; a mapping outlives it.
struct StreamCloser {
  FILE* file;
  ~StreamCloser() { std::fclose(file); }
};

}  // namespace

FileView::~FileView() { Close(); }

bool FileView::Open(const sString& sFile) {
  Close();
  FILE* file = OpenForReading(sFile);
  if (file == nullptr) return false;
  StreamCloser closer{file};
  struct stat st;
  // Only a plain file is mapped; anything else (a pipe, a device, a folder,
  // whose read then fails) is read as it comes.
  if (fstat(fileno(file), &st) != 0 || !S_ISREG(st.st_mode) ||
      st.st_size <= 0)
    return ReadRest(file);
  const size_t size = static_cast<size_t>(st.st_size);
  void* p = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, fileno(file), 0);
  if (p == MAP_FAILED) return ReadRest(file);
  // A program that cuts the file short while it is mapped makes the pages
  // past the new end raise SIGBUS when read. Florrin's own writers replace
  // the file or append to it; only an append that fails part-way (disk full)
  // cuts back what it added, and a filter reading those pages at that very
  // moment is ended by the signal.
  // Read ahead generously and drop pages behind the scan early.
  posix_madvise(p, size, POSIX_MADV_SEQUENTIAL);
  mapping_ = p;
  data_ = static_cast<const char*>(p);
  size_ = size;
  return true;
}

void FileView::Close() {
  if (mapping_ != nullptr) munmap(mapping_, size_);
  mapping_ = nullptr;
  copy_.clear();
  data_ = nullptr;
  size_ = 0;
}
