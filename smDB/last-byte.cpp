// The build's feature test sets FLORRIN_HAVE_MEMRCHR where the C library
// has memrchr (glibc, musl, the BSDs); elsewhere a plain loop.
#include "last-byte.h"

#if FLORRIN_HAVE_MEMRCHR
#include <string.h>

const char* FindLastByte(const char* p, char c, size_t n) {
  return static_cast<const char*>(memrchr(p, c, n));
}
#else
const char* FindLastByte(const char* p, char c, size_t n) {
  for (const char* q = p + n; q != p; --q)
    if (q[-1] == c) return q - 1;
  return nullptr;
}
#endif
