#include "output.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "held-memory.h"

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

// Text held back by a HeldOutput, in chunks that are never grown or moved:
// the first as large as the write buffer, so that a short answer takes
// little fresh memory, the others 2 MiB (or one piece's size when that is
// larger), a huge page each where the system has them (held-memory.h).
constexpr size_t kFirstHeldChunk = kCapacity;
constexpr size_t kHeldChunk = size_t{2} << 20;

struct HeldChunk {
  char* data;
  size_t size;
  size_t used;  // set once the next chunk is started
};

// Appending is on the path of every name a long listing prints, so the
// free room of the last chunk is kept at hand.
struct Held {
  bool bHolding = false;
  bool bOutOfMemory = false;
  std::vector<HeldChunk> chunks;
  char* at = nullptr;  // where the next byte goes in the last chunk
  size_t room = 0;     // bytes free from there

  void Add(std::string_view sText) {
    if (sText.size() > room && !Grow(sText.size())) return;
    if (!sText.empty()) std::memcpy(at, sText.data(), sText.size());
    at += sText.size();
    room -= sText.size();
  }

  void AddItem(std::string_view sText) {
    if (sText.size() + 1 > room && !Grow(sText.size() + 1)) return;
    if (!sText.empty()) std::memcpy(at, sText.data(), sText.size());
    at[sText.size()] = '|';
    at += sText.size() + 1;
    room -= sText.size() + 1;
  }

  // Starts a chunk with room for `iNeed` bytes; false (and the text lost for
  // good) when there is no memory for it.
  bool Grow(size_t iNeed) {
    if (bOutOfMemory) return false;
    const size_t iNext = chunks.empty() ? kFirstHeldChunk : kHeldChunk;
    const size_t iSize = std::max(iNext, iNeed);
    void* p = AllocateHeld(iSize);
    if (p == nullptr) {
      bOutOfMemory = true;
      room = 0;
      return false;
    }
    if (!chunks.empty()) chunks.back().used = chunks.back().size - room;
    chunks.push_back({static_cast<char*>(p), iSize, 0});
    at = static_cast<char*>(p);
    room = iSize;
    return true;
  }

  // The bytes used of chunk `i`.
  size_t Used(size_t i) const {
    return i + 1 == chunks.size() ? chunks[i].size - room : chunks[i].used;
  }

  void Clear() {
    for (const HeldChunk& c : chunks) FreeHeld(c.data, c.size);
    chunks.clear();
    at = nullptr;
    room = 0;
    bHolding = false;
    bOutOfMemory = false;
  }
};

Held g_held;

}  // namespace

HeldOutput::HeldOutput() {
  g_held.Clear();
  g_held.bHolding = true;
}

HeldOutput::~HeldOutput() {
  if (!bCommitted_) g_held.Clear();
}

bool HeldOutput::Commit() {
  bCommitted_ = true;
  g_held.bHolding = false;
  const bool bWhole = !g_held.bOutOfMemory;
  for (size_t i = 0; bWhole && i < g_held.chunks.size(); ++i)
    Print(std::string_view(g_held.chunks[i].data, g_held.Used(i)));
  g_held.Clear();
  return bWhole;
}

void Print(std::string_view sText) {
  if (g_held.bHolding) {
    g_held.Add(sText);
    return;
  }
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
  if (g_held.bHolding) {
    g_held.AddItem(sText);
    return;
  }
  Print(sText);
  Print("|");
}

void DiscardOutput() {
  g_held.Clear();
  Pending().used = 0;
}

void FlushOutput() {
  Buffer& b = Pending();
  Write(b.data, b.used);
  b.used = 0;
  std::fflush(stdout);
}
