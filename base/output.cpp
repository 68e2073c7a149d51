#include "output.h"

#include <cstdio>
#include <cstring>

namespace {

// Pieces are gathered here and written when it is full: large enough that a
// listing of many thousand names takes few writes, small enough to stay in
// the processor's cache. A fixed buffer, so that a long listing never has
// its memory grown and moved.
constexpr size_t kCapacity = 1 << 16;

struct Buffer {
  char data[kCapacity];
  size_t used = 0;
};

Buffer& Pending() {
  static Buffer buffer;
  return buffer;
}

void Write(const char* p, size_t n) {
  if (n > 0) std::fwrite(p, 1, n, stdout);
}

}  // namespace

void Print(std::string_view sText) {
  Buffer& b = Pending();
  if (sText.size() > kCapacity - b.used) {
    Write(b.data, b.used);
    b.used = 0;
    if (sText.size() >= kCapacity) {
      Write(sText.data(), sText.size());
      return;
    }
  }
  if (!sText.empty()) std::memcpy(b.data + b.used, sText.data(), sText.size());
  b.used += sText.size();
}

void PrintItem(std::string_view sText) {
  Print(sText);
  Print("|");
}

void FlushOutput() {
  Buffer& b = Pending();
  Write(b.data, b.used);
  b.used = 0;
  std::fflush(stdout);
}
