// Where the system has sync_file_range (Linux; the build's feature test sets
// FLORRIN_HAVE_SYNC_FILE_RANGE), SYNC_FILE_RANGE_WRITE starts the write-back
// of a range and returns at once, so the final fdatasync of a large rewrite
// finds little left to wait for (figures in the README's Benchmarks).
// Elsewhere FlushToDisk does all the work.
#include "write-back.h"

#if FLORRIN_HAVE_SYNC_FILE_RANGE
#include <fcntl.h>
#include <sys/types.h>

namespace {

// Write-back stops short of the page being appended to: a write into a page
// under write-back waits until the disk has it.
constexpr int64_t kAlign = 1 << 16;

}  // namespace

int64_t StartWriteBack(FILE* f, int64_t from, int64_t to) {
  const int64_t upto = to - to % kAlign;
  if (upto <= from) return from;
  if (std::fflush(f) != 0) return from;
  sync_file_range(fileno(f), static_cast<off_t>(from),
                  static_cast<off_t>(upto - from), SYNC_FILE_RANGE_WRITE);
  return upto;
}
#else
int64_t StartWriteBack(FILE* /*f*/, int64_t /*from*/, int64_t to) {
  return to;
}
#endif
