#include "input_queue.h"

namespace pipewell {

void InputQueue::Append(const char* bytes, size_t size) {
  bytes_.append(bytes, size);
}

void InputQueue::Consume(size_t n) {
  sent_ += n;
  if (sent_ == bytes_.size()) {
    Clear();
  } else if (sent_ > bytes_.size() / 2) {
    // Moving the rest down only once half is sent keeps the cost of a long
    // queue drained in small pieces in proportion to its size.
    bytes_.erase(0, sent_);
    sent_ = 0;
  }
}

void InputQueue::Clear() {
  std::string().swap(bytes_);
  sent_ = 0;
}

}  // namespace pipewell
