#include "output_buffer.h"

#include <cstdlib>
#include <utility>

namespace pipewell {
namespace {

constexpr size_t kInitialBuffer = 64 * 1024;

}  // namespace

OutputBuffer::OutputBuffer() = default;

OutputBuffer::~OutputBuffer() { std::free(bytes_); }

OutputBuffer::OutputBuffer(OutputBuffer&& other) noexcept
    : bytes_(std::exchange(other.bytes_, nullptr)),
      length_(std::exchange(other.length_, 0)),
      capacity_(std::exchange(other.capacity_, 0)) {}

bool OutputBuffer::Reserve() {
  if (length_ < capacity_) return true;
  size_t capacity = capacity_ == 0 ? kInitialBuffer : capacity_ * 2;
  void* grown = std::realloc(bytes_, capacity);
  if (grown == nullptr) return false;
  bytes_ = static_cast<char*>(grown);
  capacity_ = capacity;
  return true;
}

}  // namespace pipewell
