#include "read-open.h"

#include <cerrno>

#include "file-faults.h"

// A rename never makes the old or the new file unopenable here.
FILE* OpenForReading(const sString& sFile, bool* pMissing) {
  FILE* f = nullptr;
  if (FileCallFails(FileCall::kOpen)) {
    errno = EACCES;
  } else {
    f = std::fopen(sFile.c_str(), "rb");
  }
  if (pMissing != nullptr) *pMissing = f == nullptr && errno == ENOENT;
  return f;
}
