// The two listings of record names. They read the catalogue file directly,
// not through the store: a line that begins with "[" is a record header line
// wherever it stands.
#include <string_view>

#include "commands.h"
#include "file-view.h"
#include "name-list.h"

namespace {

constexpr char kNoFile[] = "No DB file found. !error!";
constexpr char kUnreadable[] = "!error!";

// The name of a header line: from after its "[" to before the first "]";
// without a "]" it is the whole line, "[" included.
std::string_view HeaderName(std::string_view sLine) {
  const size_t iEnd = sLine.find(']', 1);
  if (iEnd == std::string_view::npos) return sLine;
  return sLine.substr(1, iEnd - 1);
}

// Calls `fn` with the name of every header line in `sLines`, whole lines
// (the last one may lack its "\n"). Only the "[" bytes are searched for, with
// memchr; the lines between them are never split one by one.
template <typename Fn>
void NamesIn(std::string_view sLines, Fn& fn) {
  size_t i = 0;
  while ((i = sLines.find('[', i)) != std::string_view::npos) {
    const size_t iEnd = LineTextEnd(sLines, i);
    if (i == 0 || sLines[i - 1] == '\n')
      fn(HeaderName(sLines.substr(i, iEnd - i)));
    // No header starts before the next line.
    i = iEnd;
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
