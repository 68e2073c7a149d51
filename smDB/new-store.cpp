#include "new-store.h"

#include "line-end.h"
#include "new-file.h"

namespace {

// The first line of every store file, as sTxtDB::create writes it.
constexpr char kHeaderLine[] = "1.0.0-TALVERO_sTxtDB";

}  // namespace

bool CreateStoreFile(const sString& sFile) {
  return WriteNewFile(sFile, sString(kHeaderLine) + kLineEnd);
}
