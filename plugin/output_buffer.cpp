#include "output_buffer.h"

#include <utility>

namespace pipewell {
namespace {

constexpr size_t kInitialBuffer = 64 * 1024;

}  // namespace

OutputBuffer::OutputBuffer(OutputBuffer&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

bool OutputBuffer::Reserve() {
  if (length_ < capacity_) return true;
  // Doubling keeps a large output's cost in proportion to its size.
  size_t capacity = capacity_ == 0 ? kInitialBuffer : capacity_ * 2;
  char* grown = GrowBlock(bytes_, capacity_, capacity);
  if (grown == nullptr) return false;
  bytes_ = grown;
  capacity_ = capacity;
  return true;
}

}  // namespace pipewell
