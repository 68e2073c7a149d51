#include "name-list.h"

#include <algorithm>
#include <cstring>

#include "held-memory.h"

namespace {

using Entry = NameList::Entry;

// Names are copied into blocks: a small first one for a small catalogue,
// then blocks of a huge page each (a longer name gets a block of its own).
// Blocks and the sort's arrays are held memory (held-memory.h): touched a
// page at a time, a hundred thousand names' worth of fresh memory cost more
// than sorting them.
constexpr size_t kFirstBlock = size_t{1} << 16;
constexpr size_t kBlock = size_t{2} << 20;

// Below this many entries a comparison sort beats the radix sort's passes
// over its 256 counters per byte.
constexpr size_t kRadixMin = 64;

// Up to this many entries (and as many spare) stay in the processor's cache
// through the passes of a radix sort by the least significant byte first;
// larger ranges are first split by their most significant byte.
constexpr size_t kInCache = 1 << 13;

inline unsigned char Folded(unsigned char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<unsigned char>(c + 32) : c;
}

// Compares as std::string_view does, with ASCII capitals read as small
// letters: below, equal to or above zero.
int CompareFolded(std::string_view a, std::string_view b) {
  const size_t n = std::min(a.size(), b.size());
  for (size_t i = 0; i < n; ++i) {
    const unsigned char x = Folded(static_cast<unsigned char>(a[i]));
    const unsigned char y = Folded(static_cast<unsigned char>(b[i]));
    if (x != y) return x < y ? -1 : 1;
  }
  return a.size() < b.size() ? -1 : a.size() > b.size() ? 1 : 0;
}

// Bytes [depth, depth + 8) of `e`'s name as a big-endian integer, zero past
// the name's end, its capitals read as small letters with `bFold`: integers
// compare as the bytes do.
uint64_t KeyAt(const Entry& e, size_t depth, bool bFold) {
  const size_t n = e.size();
  unsigned char b[8] = {};
  if (n >= depth + 8)
    std::memcpy(b, e.at + depth, 8);
  else if (n > depth)
    std::memcpy(b, e.at + depth, n - depth);
  if (bFold) {
    for (unsigned char& c : b) c = Folded(c);
  }
  return uint64_t{b[0]} << 56 | uint64_t{b[1]} << 48 | uint64_t{b[2]} << 40 |
         uint64_t{b[3]} << 32 | uint64_t{b[4]} << 24 | uint64_t{b[5]} << 16 |
         uint64_t{b[6]} << 8 | uint64_t{b[7]};
}

// Sorts `n` entries whose names share their first `depth` bytes and whose
// keys are set for `depth`, by comparing.
void SortByComparing(Entry* a, size_t n, size_t depth, bool bFold) {
  if (bFold) {
    std::sort(a, a + n, [depth](const Entry& x, const Entry& y) {
      if (x.key != y.key) return x.key < y.key;
      return CompareFolded(x.name().substr(depth), y.name().substr(depth)) < 0;
    });
    return;
  }
  std::sort(a, a + n, [depth](const Entry& x, const Entry& y) {
    if (x.key != y.key) return x.key < y.key;
    // string_view compares bytes as unsigned, a prefix first.
    return x.name().substr(depth) < y.name().substr(depth);
  });
}

// How many of the `n` keys from `a` hold each value in each byte, the least
// significant byte first.
using ByteCounts = size_t[8][256];
void CountBytes(const Entry* a, size_t n, ByteCounts& count) {
  std::memset(count, 0, sizeof count);
  for (size_t i = 0; i < n; ++i) {
    uint64_t key = a[i].key;
    for (int d = 0; d < 8; ++d, key >>= 8) ++count[d][key & 0xff];
  }
}

// Moves the `n` entries of `from` to `to` in the order of their byte `d`
// (counted in `count`), keeping the order of those alike there.
void Distribute(const Entry* from, Entry* to, size_t n, int d,
                const size_t (&count)[256], size_t (&start)[256]) {
  size_t sum = 0;
  for (int v = 0; v < 256; ++v) {
    start[v] = sum;
    sum += count[v];
  }
  size_t next[256];
  std::memcpy(next, start, sizeof next);
  const int shift = 8 * d;
  for (size_t i = 0; i < n; ++i) to[next[(from[i].key >> shift) & 0xff]++] = from[i];
}

// Sorts `n` entries by their keys alone, least significant byte first, each
// pass moving them between `a` and `spare`; a byte that all keys share costs
// no pass. Ends with the entries in `a`.
void SortByKey(Entry* a, Entry* spare, size_t n) {
  ByteCounts count;
  CountBytes(a, n, count);
  Entry* from = a;
  Entry* to = spare;
  for (int d = 0; d < 8; ++d) {
    if (count[d][(a[0].key >> (8 * d)) & 0xff] == n) continue;
    size_t start[256];
    Distribute(from, to, n, d, count[d], start);
    std::swap(from, to);
  }
  if (from != a) std::memcpy(a, from, n * sizeof(Entry));
}

// Orders `n` entries by the most significant byte in which their keys
// differ, and stores where each group of entries alike in it starts in
// `*pStarts` (the first at 0). False when all keys are equal: nothing moved.
bool SplitByTopByte(Entry* a, Entry* spare, size_t n,
                    std::vector<size_t>* pStarts) {
  ByteCounts count;
  CountBytes(a, n, count);
  int d = 7;
  while (d >= 0 && count[d][(a[0].key >> (8 * d)) & 0xff] == n) --d;
  if (d < 0) return false;
  size_t start[256];
  Distribute(a, spare, n, d, count[d], start);
  std::memcpy(a, spare, n * sizeof(Entry));
  pStarts->clear();
  for (int v = 0; v < 256; ++v)
    if (count[d][v] > 0) pStarts->push_back(start[v]);
  return true;
}

// Sorts the run of `n` entries from `a` whose keys for `depth` are equal:
// puts first those whose names end within the key, and sets the keys of the
// others for the next eight bytes. Returns those others' first entry.
Entry* SplitRun(Entry* a, size_t n, size_t depth, bool bFold) {
  const size_t iDeeper = depth + 8;
  // A name that ends within these eight bytes begins every other name of
  // the run (the key pads it with zeros, and the others hold zeros there):
  // those go first, shorter before longer.
  Entry* const mid = std::partition(
      a, a + n, [iDeeper](const Entry& e) { return e.size() <= iDeeper; });
  std::sort(a, mid, [](const Entry& x, const Entry& y) {
    return x.size() < y.size();
  });
  for (Entry* e = mid; e != a + n; ++e) e->key = KeyAt(*e, iDeeper, bFold);
  return mid;
}

// Sorts the `n` entries of `entries`, whose keys are set for their first
// eight bytes, using `spare` (as many) to move them.
void SortEntries(Entry* entries, Entry* spare, size_t n, bool bFold) {
  // Ranges still to sort: their names share their first `depth` bytes, and
  // their keys are set for that depth. Kept on a list, not the call stack:
  // names alike far into them would otherwise take one call per eight
  // bytes.
  struct Range {
    size_t begin, n, depth;
  };
  std::vector<Range> todo{{0, n, 0}};
  std::vector<size_t> starts;
  while (!todo.empty()) {
    const Range r = todo.back();
    todo.pop_back();
    Entry* const a = entries + r.begin;
    if (r.n < kRadixMin) {
      SortByComparing(a, r.n, r.depth, bFold);
      continue;
    }
    if (r.n > kInCache && SplitByTopByte(a, spare + r.begin, r.n, &starts)) {
      for (size_t k = 0; k < starts.size(); ++k) {
        const size_t iEnd = k + 1 < starts.size() ? starts[k + 1] : r.n;
        if (iEnd - starts[k] > 1)
          todo.push_back({r.begin + starts[k], iEnd - starts[k], r.depth});
      }
      continue;
    }
    SortByKey(a, spare + r.begin, r.n);
    // Entries with equal keys are alike in eight more bytes: sorted again
    // by the next eight.
    for (size_t i0 = 0, i1; i0 < r.n; i0 = i1) {
      i1 = i0 + 1;
      while (i1 < r.n && a[i1].key == a[i0].key) ++i1;
      if (i1 - i0 == 1) continue;
      Entry* const rest = SplitRun(a + i0, i1 - i0, r.depth, bFold);
      const size_t iRest = static_cast<size_t>(a + i1 - rest);
      if (iRest > 1)
        todo.push_back({static_cast<size_t>(rest - entries), iRest,
                        r.depth + 8});
    }
  }
}

}  // namespace

size_t NameList::Entry::size() const {
  size_t n;
  std::memcpy(&n, at - sizeof n, sizeof n);
  return n;
}

size_t NameList::Entry::index() const {
  size_t i;
  std::memcpy(&i, at - 2 * sizeof i, sizeof i);
  return i;
}

NameList::~NameList() {
  for (const Block& b : blocks_) FreeHeld(b.data, b.size);
  FreeHeld(sorted_, count_ * sizeof(Entry));
  FreeHeld(spare_, count_ * sizeof(Entry));
}

void NameList::Add(std::string_view sName) {
  if (bFailed_) return;
  const size_t iLen = sName.size();
  const size_t iNeed = 2 * sizeof iLen + iLen;
  if (iNeed > room_) {
    const size_t iSize =
        std::max(blocks_.empty() ? kFirstBlock : kBlock, iNeed);
    char* p = static_cast<char*>(AllocateHeld(iSize));
    if (p == nullptr) {
      bFailed_ = true;
      return;
    }
    if (!blocks_.empty()) blocks_.back().used = blocks_.back().size - room_;
    blocks_.push_back({p, iSize, 0});
    at_ = p;
    room_ = iSize;
  }
  std::memcpy(at_, &count_, sizeof count_);
  std::memcpy(at_ + sizeof iLen, &iLen, sizeof iLen);
  if (iLen > 0) std::memcpy(at_ + 2 * sizeof iLen, sName.data(), iLen);
  at_ += iNeed;
  room_ -= iNeed;
  ++count_;
}

void NameList::Sort() {
  if (bFailed_ || count_ == 0 || sorted_ != nullptr) return;
  sorted_ = static_cast<Entry*>(AllocateHeld(count_ * sizeof(Entry)));
  spare_ = static_cast<Entry*>(AllocateHeld(count_ * sizeof(Entry)));
  if (sorted_ == nullptr || spare_ == nullptr) {
    bFailed_ = true;
    return;
  }
  // The entries in the order added.
  blocks_.back().used = blocks_.back().size - room_;
  const bool bFold = order_ == NameOrder::kIgnoringAsciiCase;
  size_t iAt = 0;
  for (const Block& b : blocks_) {
    for (const char* p = b.data; p != b.data + b.used;) {
      Entry e{0, p + 2 * sizeof(size_t)};
      e.key = KeyAt(e, 0, bFold);
      sorted_[iAt++] = e;
      p = e.at + e.size();
    }
  }

  SortEntries(sorted_, spare_, count_, bFold);
  if (bFold) OrderTies();
}

void NameList::OrderTies() {
  for (size_t i0 = 0, i1; i0 < count_; i0 = i1) {
    const std::string_view sFirst = sorted_[i0].name();
    i1 = i0 + 1;
    while (i1 < count_ && sorted_[i1].size() == sFirst.size() &&
           CompareFolded(sorted_[i1].name(), sFirst) == 0)
      ++i1;
    if (i1 - i0 < 2) continue;
    std::sort(sorted_ + i0, sorted_ + i1, [](const Entry& x, const Entry& y) {
      if (x.name() != y.name()) return x.name() < y.name();
      return x.index() < y.index();
    });
  }
}
