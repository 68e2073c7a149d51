#include "line-count.h"

#include <cstring>
#include <limits>

int64_t AddLineBreaks(int64_t iSoFar, std::string_view sText) {
  const char* p = sText.data();
  const char* end = p + sText.size();
  while (p < end) {
    const void* nl = std::memchr(p, '\n', static_cast<size_t>(end - p));
    if (nl == nullptr) break;
    ++iSoFar;
    p = static_cast<const char*>(nl) + 1;
  }
  return iSoFar;
}

int NarrowLineCount(int64_t iCount) {
  if (iCount < 0 || iCount > std::numeric_limits<int>::max()) return -1;
  return static_cast<int>(iCount);
}
