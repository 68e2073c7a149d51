// The two listings of record names. They read the catalogue file directly,
// not through the store: a line that begins with "[" is a record header line
// wherever it stands.
#include <algorithm>
#include <cstdio>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"
#include "line-reader.h"

namespace {

constexpr char kNoFile[] = "No DB file found. !error!";

void Print(std::string_view sText) {
  if (!sText.empty()) std::fwrite(sText.data(), 1, sText.size(), stdout);
}

// Calls `fn` with the name of every record header line, in file order. The
// name runs from after the first "[" to before the next "]"; without such a
// "]" it is the whole line, "[" included. False when the file cannot be read.
template <typename Fn>
bool ForEachName(const sString& sFile, Fn fn) {
  LineReader reader;
  if (!reader.Open(sFile)) return false;
  std::string_view sTemp;
  // A header line holds "[", so lines without one are passed over in bulk.
  while (reader.SkipToLineWith("["), reader.Next(&sTemp)) {
    if (sTemp.empty() || sTemp[0] != '[') continue;
    int iStart = FindInStr(sTemp, "[", 0) + 1;
    int iEnd = FindInStr(sTemp, "]", iStart);
    if (iEnd < 0) {
      fn(sTemp);
    } else {
      fn(sTemp.substr(static_cast<size_t>(iStart),
                      static_cast<size_t>(iEnd - iStart)));
    }
  }
  return true;
}

}  // namespace

void ShowHelp() { Print("!err in parameters!\n"); }

void fList() {
  // Names are printed as they are found; a file that vanished after the
  // readability test prints nothing.
  {
    LineReader probe;
    if (!probe.Open(DBfile)) {
      Print(kNoFile);
      return;
    }
  }
  // Names are collected and written in large pieces.
  sString sOut;
  ForEachName(DBfile, [&sOut](std::string_view sName) {
    sOut.append(sName);
    sOut.push_back('|');
    if (sOut.size() >= (1 << 16)) {
      Print(sOut);
      sOut.clear();
    }
  });
  Print(sOut);
}

void fListByName() {
  // The names are gathered in one block and sorted as views into it: no
  // string per name to allocate, and nothing but views moved by the sort.
  // Offsets are kept while the block grows, since growing moves it.
  sString sAll;
  std::vector<std::pair<size_t, size_t>> vSpans;
  bool bRead = ForEachName(DBfile, [&sAll, &vSpans](std::string_view sName) {
    vSpans.emplace_back(sAll.size(), sName.size());
    sAll.append(sName);
  });
  if (!bRead) {
    Print(kNoFile);
    return;
  }
  std::vector<std::string_view> vList;
  vList.reserve(vSpans.size());
  for (const auto& span : vSpans)
    vList.emplace_back(sAll.data() + span.first, span.second);
  // Views compare as unsigned bytes, a prefix first: capitals before small
  // letters.
  std::sort(vList.begin(), vList.end());
  sString sOut;
  sOut.reserve(sAll.size() + vList.size());
  for (std::string_view sName : vList) {
    sOut.append(sName);
    sOut.push_back('|');
  }
  Print(sOut);
}
