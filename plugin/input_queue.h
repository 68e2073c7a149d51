#ifndef PIPEWELL_INPUT_QUEUE_H_
#define PIPEWELL_INPUT_QUEUE_H_

#include <cstddef>
#include <string>

// Bytes written to a child's standard input that its pipe has not yet
// taken, first in first out. Writes never wait for the child, so what a full
// pipe refuses waits here until a later tick, Poll or Write moves it on.
// Knows nothing of pipes; the runner does the sending. Main thread only.

namespace pipewell {

class InputQueue {
 public:
  InputQueue() = default;
  InputQueue(const InputQueue&) = delete;
  InputQueue& operator=(const InputQueue&) = delete;

  bool empty() const { return sent_ == bytes_.size(); }

  // The bytes waiting, oldest first, and their count.
  const char* front() const { return bytes_.data() + sent_; }
  size_t size() const { return bytes_.size() - sent_; }

  // Adds `size` bytes behind those waiting.
  void Append(const char* bytes, size_t size);

  // Forgets the first `n` waiting bytes (sent); `n` <= size().
  void Consume(size_t n);

  // Forgets every waiting byte and the memory they held.
  void Clear();

 private:
  std::string bytes_;
  size_t sent_ = 0;  // bytes at the front already sent
};

}  // namespace pipewell

#endif  // PIPEWELL_INPUT_QUEUE_H_
