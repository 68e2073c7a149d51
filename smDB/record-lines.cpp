#include "record-lines.h"

std::string_view BracketName(std::string_view line) {
  int iOpen = FindInStr(line, "[", 0);
  int iStart = iOpen < 0 ? 0 : iOpen + 1;
  int iClose = FindInStr(line, "]", iStart);
  if (iClose < 0) return line;
  // A view rather than Mid's copy: this runs for every line of every scan.
  return line.substr(static_cast<size_t>(iStart),
                     static_cast<size_t>(iClose - iStart));
}

bool SplitField(std::string_view line, std::string_view* key,
                std::string_view* value) {
  int iEq = FindInStr(line, "=", 0);
  if (iEq < 0) return false;
  *key = line.substr(0, static_cast<size_t>(iEq));
  *value = line.substr(static_cast<size_t>(iEq) + 1);
  return true;
}

bool StartsRecord(std::string_view line) {
  return !line.empty() && line[0] == '[';
}

bool HasLineBreak(std::string_view sText) {
  return FindInStr(sText, "\n", 0) >= 0;
}
