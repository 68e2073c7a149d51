#include "failure-log.h"

#include <cstdio>
#include <cstdlib>

void AppendFailureLine(const sString& sFile, const sString& sLine) {
  if (sFile.empty()) return;
  // One line per step whatever the message holds: a line break from a
  // server's message would forge a second entry.
  sString sText = "florrin: " + sLine;
  for (char& c : sText) {
    if (static_cast<unsigned char>(c) < 0x20) c = ' ';
  }
  sText += '\n';
  // Binary append: one write at the end, on every system the same bytes.
  FILE* f = std::fopen(sFile.c_str(), "ab");
  if (f == nullptr) return;
  std::fwrite(sText.data(), 1, sText.size(), f);
  std::fclose(f);
}

FailureLog EnvironmentFailureLog() {
  const char* value = std::getenv("FLORRIN_LOG");
  const sString sFile = value == nullptr ? sString() : sString(value);
  return [sFile](const sString& sLine) { AppendFailureLine(sFile, sLine); };
}
