#include "rbhost.h"

#include <time.h>

namespace rbhost {

void RunEventLoopOnce(int (*dispatchTimers)(), int maxMs) {
  int wait = dispatchTimers != nullptr ? dispatchTimers() : -1;
  // No timer set, or one due later than the caller can wait: sleep its span.
  if (wait < 0 || wait > maxMs) wait = maxMs;
  if (wait == 0) wait = 1;
  struct timespec pause = {wait / 1000, (wait % 1000) * 1000000L};
  nanosleep(&pause, nullptr);
}

}  // namespace rbhost
