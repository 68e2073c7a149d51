#include "lmr.h"

namespace {

// Counts and positions are compared with sizes as unsigned numbers, so a
// negative value is larger than any size.
bool Below(int value, size_t size) {
  return static_cast<unsigned int>(value) < size;
}

}  // namespace

sString Left(std::string_view strText, int length) {
  if (Below(length, strText.size())) return sString(strText.substr(0, length));
  return sString(strText);
}

sString Right(std::string_view strText, int length) {
  if (Below(length, strText.size()))
    return sString(strText.substr(strText.size() - length));
  return sString(strText);
}

sString Mid(std::string_view strText, int start, int length) {
  if (!Below(length, strText.size())) return sString(strText);
  // Callers keep `start` inside the text; one past it yields nothing rather
  // than reading out of bounds.
  if (start < 0 || static_cast<size_t>(start) > strText.size()) return sString();
  return sString(strText.substr(start, length));
}

int FindInStr(std::string_view strText, std::string_view strToFind,
              int iAfterThis) {
  if (!Below(iAfterThis, strText.size())) return -1;
  size_t found = strText.find(strToFind, iAfterThis);
  if (found == std::string_view::npos) return -1;
  return static_cast<int>(found);
}

void RemFromStr(sString* strText, std::string_view strToRem) {
  if (strToRem.empty()) return;
  // After a removal the same position is examined again, and what lies before
  // it is never looked at again; so the text from that position on is always
  // the unread rest of the original, and one forward pass gives the result.
  const std::string_view text(*strText);
  sString out;
  out.reserve(text.size());
  size_t i = 0;
  while (i < text.size()) {
    if (text.compare(i, strToRem.size(), strToRem) == 0) {
      i += strToRem.size();
    } else {
      out.push_back(text[i]);
      ++i;
    }
  }
  strText->swap(out);
}
