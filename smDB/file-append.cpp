#include "file-append.h"

namespace {

// Bytes a test lets appends write before they fail; negative: no limit.
int64_t g_iFailAfter = -1;

// Writes all of `sBytes` to `file`. False on the first failed write.
bool WriteAll(AppendFile* file, std::string_view sBytes) {
  int64_t iAllowed = g_iFailAfter;
  const char* p = sBytes.data();
  size_t left = sBytes.size();
  while (left > 0) {
    size_t n = left;
    if (iAllowed >= 0) {
      if (iAllowed == 0) return false;  // as a full disk would
      if (static_cast<int64_t>(n) > iAllowed) n = static_cast<size_t>(iAllowed);
    }
    const int64_t got = file->WriteSome(p, n);
    if (got <= 0) return false;
    p += got;
    left -= static_cast<size_t>(got);
    if (iAllowed >= 0) iAllowed -= got;
  }
  return true;
}

}  // namespace

bool AppendWhole(const sString& sFile, std::string_view sBytes) {
  AppendFile file;
  if (!file.Open(sFile)) return false;
  // Changing commands hold the catalogue lock, so nobody else appends
  // between this length and the write.
  const int64_t iOld = file.Length();
  if (iOld < 0) return false;
  // Some file systems report a full disk only when the data goes to it, so
  // the record counts as written once it is on the disk.
  bool bOk = WriteAll(&file, sBytes) && file.Sync();
  // Cutting frees space, so it does not fail for the reason the write did.
  if (!bOk && file.CutTo(iOld)) file.Sync();
  if (!file.Close()) bOk = false;
  return bOk;
}

void FailAppendsAfterForTest(int64_t iBytes) { g_iFailAfter = iBytes; }
