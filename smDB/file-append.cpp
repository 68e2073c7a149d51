#include "file-append.h"

#include "file-faults.h"

namespace {

// Writes all of `sBytes` to `file`. False on the first failed write.
bool WriteAll(AppendFile* file, std::string_view sBytes) {
  const char* p = sBytes.data();
  size_t left = sBytes.size();
  while (left > 0) {
    size_t n = left;
    if (FileCallFails(FileCall::kWrite, &n)) return false;
    const int64_t got = file->WriteSome(p, n);
    if (got <= 0) return false;
    p += got;
    left -= static_cast<size_t>(got);
  }
  return true;
}

}  // namespace

bool AppendWhole(const sString& sFile, std::string_view sBytes) {
  AppendFile file;
  if (FileCallFails(FileCall::kOpen) || !file.Open(sFile)) return false;
  // Changing commands hold the catalogue lock, so nobody else appends
  // between this length and the write.
  const int64_t iOld = file.Length();
  if (iOld < 0) return false;
  // Some file systems report a full disk only when the data goes to it, so
  // the record counts as written once it is on the disk.
  bool bOk = WriteAll(&file, sBytes) && !FileCallFails(FileCall::kSync) &&
             file.Sync();
  // Cutting frees space, so it does not fail for the reason the write did.
  if (!bOk && file.CutTo(iOld) && !FileCallFails(FileCall::kSync)) file.Sync();
  // Once the record is on the disk a close that reports an error cannot
  // take it back, and calling that a failure would leave a record that the
  // caller believes was never added: the close decides nothing.
  if (!FileCallFails(FileCall::kClose)) file.Close();
  return bOk;
}
