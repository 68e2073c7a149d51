#include "whole-file.h"

#include <cstdio>

namespace {

// Read straight into the text, a block at a time.
constexpr size_t kBlock = 65536;

}  // namespace

WholeFile ReadWholeFile(const sString& sPath, int64_t iMaxBytes,
                        TooLarge tooLarge, sString* pText) {
  pText->clear();
  if (sPath.empty()) return WholeFile::kCannotOpen;
  std::FILE* f = std::fopen(sPath.c_str(), "rb");
  if (f == nullptr) return WholeFile::kCannotOpen;
  WholeFile result = WholeFile::kRead;
  for (;;) {
    const size_t iHad = pText->size();
    pText->resize(iHad + kBlock);
    const size_t n = std::fread(&(*pText)[iHad], 1, kBlock, f);
    pText->resize(iHad + n);
    if (n == 0) break;
    if (static_cast<int64_t>(pText->size()) > iMaxBytes) {
      result = WholeFile::kTooLarge;
      if (tooLarge == TooLarge::kNothing) pText->clear();
      break;
    }
  }
  if (result == WholeFile::kRead && std::ferror(f) != 0) {
    result = WholeFile::kFailed;
  }
  std::fclose(f);
  return result;
}
