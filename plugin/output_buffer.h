#ifndef PIPEWELL_OUTPUT_BUFFER_H_
#define PIPEWELL_OUTPUT_BUFFER_H_

#include <cstddef>

// Where a synchronous wait collects a child's whole output. Each platform
// supplies the memory behind it in its own file (output_buffer_<kind>.cpp);
// the portable one is a plain growable heap block. Main thread only.

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
  char* bytes_ = nullptr;
  size_t length_ = 0;
  size_t capacity_ = 0;
};

}  // namespace pipewell

#endif  // PIPEWELL_OUTPUT_BUFFER_H_
