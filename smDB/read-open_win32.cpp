#include "read-open.h"

#include <windows.h>

#include <io.h>

#include <cerrno>

#include "file-faults.h"

namespace {

// A replace takes a few milliseconds; a writer holding the file without
// sharing it (rare: Florrin's own writers share) may take longer.
constexpr int kTries = 100;
constexpr DWORD kPauseMs = 10;

}  // namespace

FILE* OpenForReading(const sString& sFile, bool* pMissing) {
  if (pMissing != nullptr) *pMissing = false;
  if (FileCallFails(FileCall::kOpen)) return nullptr;
  for (int iTry = 1;; ++iTry) {
    FILE* f = std::fopen(sFile.c_str(), "rb");
    // A name that opens something else than a file on a disk (a device, a
    // pipe) holds no catalogue.
    if (f != nullptr &&
        GetFileType(reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(f)))) !=
            FILE_TYPE_DISK) {
      std::fclose(f);
      return nullptr;
    }
    // The C runtime reports sharing violations and files pending deletion
    // as EACCES; a missing file (ENOENT) is not waited for.
    if (f == nullptr && errno == ENOENT && pMissing != nullptr) *pMissing = true;
    if (f != nullptr || errno != EACCES || iTry >= kTries) return f;
    Sleep(kPauseMs);
  }
}
