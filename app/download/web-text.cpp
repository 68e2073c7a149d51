#include "web-text.h"

#include <cstdint>

#include "whole-file.h"

void CrLfTranslator::Add(std::string_view chunk) {
  for (char c : chunk) {
    if (bPendingCr_) {
      bPendingCr_ = false;
      // A held-back carriage return stays unless a line feed follows it.
      if (c != '\n') out_->push_back('\r');
    }
    if (c == '\r') {
      bPendingCr_ = true;
    } else {
      out_->push_back(c);
    }
  }
}

void CrLfTranslator::Finish() {
  if (bPendingCr_) out_->push_back('\r');
  bPendingCr_ = false;
}

bool ReadTextFile(const sString& strFileName, sString* strText) {
  strText->clear();
  // As bytes on purpose: the translation is done here, the same way on
  // every platform.
  sString bytes;
  if (ReadWholeFile(strFileName, INT64_MAX, TooLarge::kFirstPart, &bytes) !=
      WholeFile::kRead) {
    return false;
  }
  CrLfTranslator translator(strText);
  translator.Add(bytes);
  translator.Finish();
  return true;
}

std::vector<sString> SplitTextLines(std::string_view strText) {
  std::vector<sString> lines;
  size_t iSt = 0;
  for (;;) {
    // FindInStr gives -1 at or past the end, so a text ending in "\n" gets
    // its empty last line.
    const int iEnd = FindInStr(strText, "\n", static_cast<int>(iSt));
    if (iEnd < 0) {
      lines.emplace_back(strText.substr(iSt));
      return lines;
    }
    lines.emplace_back(strText.substr(iSt, iEnd - iSt));
    iSt = static_cast<size_t>(iEnd) + 1;
  }
}

bool ReadTextLines(const sString& strFileName, std::vector<sString>* lines) {
  lines->clear();
  sString strText;
  if (!ReadTextFile(strFileName, &strText)) return false;
  *lines = SplitTextLines(strText);
  return true;
}
