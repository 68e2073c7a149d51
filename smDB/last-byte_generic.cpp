// C libraries without memrchr.
#include "last-byte.h"

const char* FindLastByte(const char* p, char c, size_t n) {
  for (const char* q = p + n; q != p; --q)
    if (q[-1] == c) return q - 1;
  return nullptr;
}
