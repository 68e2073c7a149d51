#include "read-open.h"

// A rename never makes the old or the new file unopenable here.
FILE* OpenForReading(const sString& sFile) {
  return std::fopen(sFile.c_str(), "rb");
}
