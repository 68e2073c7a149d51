// The two listings of record names. They read the catalogue file directly,
// not through the store: a line that begins with "[" is a record header line
// wherever it stands.
#include <algorithm>
#include <cstdint>
#include <string_view>
#include <vector>

#include "commands.h"
#include "line-reader.h"

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

// Calls `fn` with the name of every header line, in file order. The reader
// hands out every line that is wholly in memory at once, and the one line
// that spans two blocks on its own. False when the file cannot be opened or
// read; `*pMissing` then tells whether it does not exist.
template <typename Fn>
bool ForEachName(const sString& sFile, Fn fn, bool* pMissing) {
  LineReader reader;
  *pMissing = false;
  if (!reader.Open(sFile)) {
    *pMissing = reader.Missing();
    return false;
  }
  std::string_view sLine;
  for (;;) {
    NamesIn(reader.SkipWholeLines(), fn);
    if (!reader.Next(&sLine)) return !reader.Failed();
    NamesIn(sLine, fn);
  }
}

// A name to sort, as its place in the block of all names and a key of the
// eight bytes that follow the prefix every name shares: most comparisons are
// then decided by one integer compare.
struct SortName {
  uint64_t key;
  size_t off;
  size_t len;
};

uint64_t KeyAfter(std::string_view sName, size_t iPrefix) {
  uint64_t key = 0;
  for (size_t i = 0; i < 8; ++i) {
    const size_t at = iPrefix + i;
    const unsigned char c =
        at < sName.size() ? static_cast<unsigned char>(sName[at]) : 0;
    key = (key << 8) | c;
  }
  return key;
}

}  // namespace

void ShowHelp() { Print("!err in parameters!\n"); }

void fList() {
  // Printed only once the whole file is read: a read that fails part-way
  // shows no list.
  sString sList;
  bool bMissing;
  if (ForEachName(DBfile,
                  [&sList](std::string_view sName) {
                    sList.append(sName).append("|");
                  },
                  &bMissing)) {
    Print(sList);
  } else {
    Print(bMissing ? kNoFile : kUnreadable);
  }
}

void fListByName() {
  // The names are gathered in one block and sorted as places in it: no
  // string per name to allocate, and nothing but small records moved.
  sString sAll;
  std::vector<SortName> vNames;
  bool bMissing;
  bool bRead = ForEachName(DBfile, [&sAll, &vNames](std::string_view sName) {
    vNames.push_back({0, sAll.size(), sName.size()});
    sAll.append(sName);
  }, &bMissing);
  if (!bRead) {
    Print(bMissing ? kNoFile : kUnreadable);
    return;
  }
  auto view = [&sAll](const SortName& n) {
    return std::string_view(sAll.data() + n.off, n.len);
  };
  size_t iPrefix = vNames.empty() ? 0 : vNames[0].len;
  for (const SortName& n : vNames) {
    const std::string_view a = view(vNames[0]), b = view(n);
    size_t i = 0;
    while (i < iPrefix && i < b.size() && a[i] == b[i]) ++i;
    iPrefix = i;
  }
  for (SortName& n : vNames) n.key = KeyAfter(view(n), iPrefix);
  // Unsigned byte order, a prefix first: capitals before small letters. Equal
  // keys are settled by the whole names (string_view compares as unsigned
  // bytes).
  std::sort(vNames.begin(), vNames.end(),
            [&view](const SortName& x, const SortName& y) {
              if (x.key != y.key) return x.key < y.key;
              return view(x) < view(y);
            });
  for (const SortName& n : vNames) PrintItem(view(n));
}
