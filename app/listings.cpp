// The two listings of record names. They read the catalogue file directly,
// not through the store: a line that begins with "[" is a record header line
// wherever it stands.
#include <cstring>
#include <string_view>

#include "byte-scan.h"
#include "commands.h"
#include "file-view.h"
#include "name-list.h"

namespace {

constexpr char kNoFile[] = "No DB file found. !error!";
constexpr char kUnreadable[] = "!error!";

// Calls `fn` with the name of every header line in `sLines`, whole lines
// (the last one may lack its "\n"). A name runs from after the "[" to before
// the first "]"; without a "]" it is the whole line, "[" included. Only the
// "[" bytes are searched for, with memchr, and a header's "]" or line end
// eight bytes at a time; the lines between them are never split one by one.
template <typename Fn>
void NamesIn(std::string_view sLines, Fn& fn) {
  if (sLines.empty()) return;
  const char* const begin = sLines.data();
  const char* const end = begin + sLines.size();
  const char* p = begin;
  while ((p = static_cast<const char*>(
              std::memchr(p, '[', static_cast<size_t>(end - p)))) != nullptr) {
    if (p != begin && p[-1] != '\n') {
      ++p;
      continue;
    }
    const char* const q = FirstOfTwo(p + 1, end, '\n', ']');
    if (q != end && *q == ']') {
      fn(std::string_view(p + 1, static_cast<size_t>(q - p - 1)));
      p = q + 1;
      continue;
    }
    // The line's text, less the "\r" of a "\r\n" line end.
    const char* const e = q != end && q[-1] == '\r' ? q - 1 : q;
    fn(std::string_view(p, static_cast<size_t>(e - p)));
    p = q;
  }
}

// Calls `fn` with the name of every header line, in file order. False when
// the file cannot be opened or read; `*pMissing` then tells whether it does
// not exist.
template <typename Fn>
bool ForEachName(const sString& sFile, Fn fn, bool* pMissing) {
  FileView file;
  *pMissing = false;
  if (!file.Open(sFile)) {
    *pMissing = file.Missing();
    return false;
  }
  std::string_view sLines;
  while (file.Next(&sLines)) NamesIn(sLines, fn);
  return !file.Failed();
}

}  // namespace

void ShowHelp() { Print("!err in parameters!\n"); }

void fList() {
  // Held back until the whole file is read: a read that fails part-way
  // shows no list.
  bool bMissing = false;
  bool bListed;
  {
    HeldOutput held;
    bListed = ForEachName(DBfile,
                          [](std::string_view sName) { PrintItem(sName); },
                          &bMissing) &&
              held.Commit();
  }
  if (!bListed) Print(bMissing ? kNoFile : kUnreadable);
}

void fListByName() {
  NameList names;
  bool bMissing;
  if (!ForEachName(DBfile,
                   [&names](std::string_view sName) { names.Add(sName); },
                   &bMissing)) {
    Print(bMissing ? kNoFile : kUnreadable);
    return;
  }
  names.Sort();
  if (names.Failed()) {
    Print(kUnreadable);
    return;
  }
  names.ForEach([](std::string_view sName) { PrintItem(sName); });
}
