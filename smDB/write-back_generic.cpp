// Systems without an early write-back call: FlushToDisk does all the work.
#include "write-back.h"

int64_t StartWriteBack(FILE* /*f*/, int64_t /*from*/, int64_t to) {
  return to;
}
