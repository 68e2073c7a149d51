#include "file-view.h"

namespace {

void (*g_opened_hook)() = nullptr;

}  // namespace

void SetFileViewOpenedHookForTest(void (*hook)()) { g_opened_hook = hook; }

bool FileView::Open(const sString& sFile) {
  bLineNext_ = false;
  if (!reader_.Open(sFile)) return false;
  if (g_opened_hook != nullptr) g_opened_hook();
  return true;
}

bool FileView::Next(std::string_view* pLines) {
  // The lines wholly in the reader's buffer, then the one line that spans
  // its end, which the reader puts together; then the next buffer's lines.
  if (!bLineNext_) {
    bLineNext_ = true;
    *pLines = reader_.SkipWholeLines();
    if (!pLines->empty()) return true;
  }
  bLineNext_ = false;
  return reader_.Next(pLines);
}
