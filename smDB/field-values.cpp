#include "field-values.h"

#include "line-reader.h"
#include "record-lines.h"

bool ReadFieldValues(const sString& sFile, std::string_view sKey,
                     std::vector<sString>* pValues) {
  pValues->clear();
  LineReader reader;
  if (!reader.Open(sFile)) return false;
  const sString sPrefix = sString(sKey) + "=";
  bool bInRecord = false;
  for (;;) {
    // Only header lines and lines holding the key matter; the others are
    // passed over in bulk.
    reader.SkipToLineWith("[", sPrefix);
    std::string_view line;
    if (!reader.Next(&line)) break;
    if (StartsRecord(line)) {
      bInRecord = true;
    } else if (bInRecord && line.substr(0, sPrefix.size()) == sPrefix) {
      pValues->emplace_back(line.substr(sPrefix.size()));
    }
  }
  return !reader.Failed();
}
