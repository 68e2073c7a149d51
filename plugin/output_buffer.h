#ifndef PIPEWELL_OUTPUT_BUFFER_H_
#define PIPEWELL_OUTPUT_BUFFER_H_

#include <cstddef>

// Where a synchronous wait collects a child's whole output. The growth rule
// is in output_buffer.cpp; the memory behind it comes from one file picked
// by CMake (output_buffer_<kind>.cpp), which defines the constructor, the
// destructor and GrowBlock: output_buffer_heap.cpp is a plain heap block
// any system can use. Main thread only.

namespace pipewell {

class OutputBuffer {
 public:
  OutputBuffer();
  ~OutputBuffer();
  OutputBuffer(OutputBuffer&& other) noexcept;
  OutputBuffer& operator=(OutputBuffer&&) = delete;
  OutputBuffer(const OutputBuffer&) = delete;
  OutputBuffer& operator=(const OutputBuffer&) = delete;

  // Makes sure some free space follows the collected bytes, growing the
  // buffer geometrically when it is full. False when memory ran out; the
  // bytes collected so far stay.
  bool Reserve();

  // The free space after the collected bytes, and its size.
  char* free_part() { return bytes_ + length_; }
  size_t free_size() const { return capacity_ - length_; }

  // Counts `n` bytes written into the free part as collected.
  void Grow(size_t n) { length_ += n; }

  // The bytes collected so far (null while none were ever reserved).
  const char* bytes() const { return bytes_; }
  size_t length() const { return length_; }

 private:
  // Grows `block` (null when none yet) to `newSize` bytes keeping the first
  // `oldSize`; the new address, or null with the old block left as it was.
  static char* GrowBlock(char* block, size_t oldSize, size_t newSize);

  char* bytes_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

}  // namespace pipewell

#endif  // PIPEWELL_OUTPUT_BUFFER_H_
