#include "recording_replace.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "file-replace.h"

std::vector<ReplaceCall>& ReplaceCalls() {
  static std::vector<ReplaceCall> calls;
  return calls;
}

bool FlushToDisk(FILE* f) {
  if (std::fflush(f) != 0) return false;
  ReplaceCalls().push_back({"flush", std::ftell(f), ""});
  return true;
}

bool MoveIntoPlace(const sString& sFrom, const sString& sTo) {
  std::error_code ec;
  const auto size = std::filesystem::file_size(sFrom, ec);
  ReplaceCalls().push_back(
      {"move", ec ? -1L : static_cast<long>(size), sTo});
  std::filesystem::rename(sFrom, sTo, ec);
  return !ec;
}
