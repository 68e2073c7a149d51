#include "output_buffer.h"

#include <sys/mman.h>

#include <cstring>
#include <utility>

#include "fast_calls.h"

namespace pipewell {
namespace {

// Collecting a large output costs mostly fresh pages, which the kernel must
// fault in and zero, so the last buffer is kept for the next wait with its
// pages handed back (ReleasePages) until reused. What stays is address space
// only, bounded by kKeepLimit: plenty on a 64-bit host, scarce on 32 bits.
constexpr size_t kKeepLimit =
    sizeof(void*) >= 8 ? size_t{1} << 30 : size_t{16} << 20;
char* g_keptBytes = nullptr;
size_t g_keptCapacity = 0;

// No large-page advice: measured, it made a first large run slower, and the
// kept buffer already spares later runs the page faults.
void* MapPages(size_t size) {
  void* block = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  return block == MAP_FAILED ? nullptr : block;
}

// Remaps where the system can (no copy), else maps anew and copies.
void* GrowPages(void* block, size_t oldSize, size_t newSize) {
  void* grown = RemapPages(block, oldSize, newSize);
  if (grown != nullptr) return grown;
  grown = MapPages(newSize);
  if (grown == nullptr) return nullptr;
  std::memcpy(grown, block, oldSize);
  munmap(block, oldSize);
  return grown;
}

}  // namespace

OutputBuffer::OutputBuffer() {
  std::swap(bytes_, g_keptBytes);
  std::swap(capacity_, g_keptCapacity);
}

OutputBuffer::~OutputBuffer() {
  if (bytes_ == nullptr) return;
  if (g_keptBytes == nullptr && capacity_ <= kKeepLimit) {
    // Only the pages this run wrote: the rest were released before or never
    // used, and walking a large buffer after every small run costs time.
    ReleasePages(bytes_, length_);
    g_keptBytes = bytes_;
    g_keptCapacity = capacity_;
    return;
  }
  munmap(bytes_, capacity_);
}

char* OutputBuffer::GrowBlock(char* block, size_t oldSize, size_t newSize) {
  void* grown = block == nullptr ? MapPages(newSize)
                                 : GrowPages(block, oldSize, newSize);
  return static_cast<char*>(grown);
}

}  // namespace pipewell
