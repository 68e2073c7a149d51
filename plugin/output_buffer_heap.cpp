#include "output_buffer.h"

#include <cstdlib>

namespace pipewell {

OutputBuffer::OutputBuffer() = default;

OutputBuffer::~OutputBuffer() { std::free(bytes_); }

char* OutputBuffer::GrowBlock(char* block, size_t, size_t newSize) {
  return static_cast<char*>(std::realloc(block, newSize));
}

}  // namespace pipewell
