#include "failing_file_calls.h"

namespace {

int64_t g_iFailAt = 0;     // the call number that fails; 0: none
int64_t g_iCalls = 0;      // calls since FailFileCallNumber
bool g_bFailed = false;
FileCall g_failed = FileCall::kOpen;
int64_t g_iAppendBytes = -1;  // bytes appends may still write; -1: any

const char* Word(FileCall call) {
  switch (call) {
    case FileCall::kOpen: return "open";
    case FileCall::kRead: return "read";
    case FileCall::kWrite: return "write";
    case FileCall::kFlush: return "flush";
    case FileCall::kSync: return "sync";
    case FileCall::kClose: return "close";
    case FileCall::kRename: return "rename";
  }
  return "?";
}

}  // namespace

void FailFileCallNumber(int64_t n) {
  g_iFailAt = n;
  g_iCalls = 0;
  g_bFailed = false;
}

bool FileCallFailed() { return g_bFailed; }

std::string FailedFileCall() { return g_bFailed ? Word(g_failed) : "none"; }

void FailAppendsAfterForTest(int64_t iBytes) { g_iAppendBytes = iBytes; }

bool FileCallFails(FileCall call, size_t* pBytes) {
  if (g_iFailAt > 0 && ++g_iCalls == g_iFailAt) {
    g_bFailed = true;
    g_failed = call;
    return true;
  }
  // Only appends say how much they write.
  if (pBytes != nullptr && g_iAppendBytes >= 0) {
    if (g_iAppendBytes == 0) return true;
    if (static_cast<int64_t>(*pBytes) > g_iAppendBytes)
      *pBytes = static_cast<size_t>(g_iAppendBytes);
    g_iAppendBytes -= static_cast<int64_t>(*pBytes);
  }
  return false;
}
