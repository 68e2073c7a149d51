// The memory behind OutputBuffer for the runner's tests: the heap, with a
// ceiling a test sets to make growth fail.
#include <cstdint>
#include <cstdlib>

#include "fake_os_process.h"
#include "output_buffer.h"

namespace fakeos {
namespace {

size_t g_memoryLimit = SIZE_MAX;

}  // namespace

void SetMemoryLimit(size_t bytes) { g_memoryLimit = bytes; }

}  // namespace fakeos

namespace pipewell {

OutputBuffer::OutputBuffer() = default;

OutputBuffer::~OutputBuffer() { std::free(bytes_); }

char* OutputBuffer::GrowBlock(char* block, size_t, size_t newSize) {
  if (newSize > fakeos::g_memoryLimit) return nullptr;
  return static_cast<char*>(std::realloc(block, newSize));
}

}  // namespace pipewell
