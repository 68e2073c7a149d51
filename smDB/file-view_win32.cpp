#include "file-view.h"

#include "read-open.h"

// Read, not mapped: a mapped file cannot be replaced while the view is open,
// and the replace (file-replace.h) must not wait for a reader.
FileView::~FileView() { Close(); }

bool FileView::Open(const sString& sFile) {
  Close();
  FILE* file = OpenForReading(sFile);
  if (file == nullptr) return false;
  const bool bRead = ReadRest(file);
  std::fclose(file);
  return bRead;
}

void FileView::Close() {
  copy_.clear();
  data_ = nullptr;
  size_ = 0;
}
