// C libraries with memrchr (glibc, musl, the BSDs).
#include "last-byte.h"

#include <string.h>

const char* FindLastByte(const char* p, char c, size_t n) {
  return static_cast<const char*>(memrchr(p, c, n));
}
