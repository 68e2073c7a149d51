// The two listings of record names. They read the catalogue file directly,
// not through the store: a line that begins with "[" is a record header line
// wherever it stands.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string_view>
#include <utility>
#include <vector>

#include "commands.h"
#include "file-view.h"

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

// The names of a listing, kept for sorting. They are copied into large
// blocks, each name after its length, and counted, so that the array sorted
// is made once at its final size: growing arrays would copy them and touch
// fresh memory again and again, which costs more here than the sort.
class NameStore {
 public:
  NameStore() = default;
  NameStore(const NameStore&) = delete;
  NameStore& operator=(const NameStore&) = delete;

  void Add(std::string_view sName) {
    const size_t iNeed = sizeof(size_t) + sName.size();
    if (iNeed > room_) {
      const size_t iSize = std::max(kBlock, iNeed);
      // Owned before the list grows: a list that cannot grow for want of
      // memory must not leak the block.
      std::unique_ptr<char[]> block(new char[iSize]);
      blocks_.push_back(std::move(block));
      used_.push_back(0);
      room_ = iSize;
    }
    char* p = blocks_.back().get() + used_.back();
    const size_t iLen = sName.size();
    std::memcpy(p, &iLen, sizeof iLen);
    if (!sName.empty())
      std::memcpy(p + sizeof iLen, sName.data(), sName.size());
    used_.back() += iNeed;
    room_ -= iNeed;
    ++count_;
  }

  size_t count() const { return count_; }

  // Calls `fn` with every name, in the order added.
  template <typename Fn>
  void ForEach(Fn fn) const {
    for (size_t i = 0; i < blocks_.size(); ++i) {
      const char* p = blocks_[i].get();
      const char* const end = p + used_[i];
      while (p != end) {
        size_t iLen;
        std::memcpy(&iLen, p, sizeof iLen);
        p += sizeof iLen;
        fn(std::string_view(p, iLen));
        p += iLen;
      }
    }
  }

 private:
  static constexpr size_t kBlock = 1 << 20;

  std::vector<std::unique_ptr<char[]>> blocks_;
  std::vector<size_t> used_;  // bytes used in each block
  size_t room_ = 0;           // bytes free in the last block
  size_t count_ = 0;
};

// A name to sort: a key of the eight bytes that follow the prefix every name
// shares, so that most comparisons are decided by one integer compare, and
// where the name lies in a NameStore block, after its length. Sixteen bytes:
// the array of them is the largest thing a listing makes.
struct SortName {
  uint64_t key;
  const char* at;

  std::string_view name() const {
    size_t iLen;
    std::memcpy(&iLen, at - sizeof iLen, sizeof iLen);
    return {at, iLen};
  }
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
  NameStore names;
  bool bMissing;
  if (!ForEachName(DBfile,
                   [&names](std::string_view sName) { names.Add(sName); },
                   &bMissing)) {
    Print(bMissing ? kNoFile : kUnreadable);
    return;
  }
  std::vector<SortName> vNames;
  vNames.reserve(names.count());
  names.ForEach([&vNames](std::string_view sName) {
    vNames.push_back({0, sName.data()});
  });
  size_t iPrefix = vNames.empty() ? 0 : vNames[0].name().size();
  for (const SortName& n : vNames) {
    const std::string_view a = vNames[0].name(), b = n.name();
    size_t i = 0;
    while (i < iPrefix && i < b.size() && a[i] == b[i]) ++i;
    iPrefix = i;
  }
  for (SortName& n : vNames) n.key = KeyAfter(n.name(), iPrefix);
  // Unsigned byte order, a prefix first: capitals before small letters. Equal
  // keys are settled by the whole names (string_view compares as unsigned
  // bytes).
  std::sort(vNames.begin(), vNames.end(),
            [](const SortName& x, const SortName& y) {
              if (x.key != y.key) return x.key < y.key;
              return x.name() < y.name();
            });
  for (const SortName& n : vNames) PrintItem(n.name());
}
