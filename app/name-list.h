// NameList: the record names of a listing, kept to be put in byte order.
//
// A catalogue's names come in the order the user added the movies, and a
// large one holds a hundred thousand of them; sorting them is most of what
// --listbyname costs beyond reading the file. The names are copied into
// large blocks, and sorted as 16-byte entries (eight bytes of the name as an
// integer, and where the name lies) by their bytes, eight at a time, with a
// radix sort; only names alike in those bytes are looked at again, deeper in.
// The same sort puts titles in the order the HTML page shows them, which
// reads ASCII capitals as small letters.
#ifndef FLORRIN_APP_NAME_LIST_H_
#define FLORRIN_APP_NAME_LIST_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

// How a NameList orders its names.
enum class NameOrder {
  // By their bytes as unsigned numbers, a name before the longer names it
  // begins (--listbyname). Equal names come in no particular order.
  kBytes,
  // As kBytes with ASCII capitals read as small letters; names equal so
  // are ordered by kBytes, and names equal in every byte in the order they
  // were added (the page's title order).
  kIgnoringAsciiCase,
};

class NameList {
 public:
  explicit NameList(NameOrder order = NameOrder::kBytes) : order_(order) {}
  ~NameList();
  NameList(const NameList&) = delete;
  NameList& operator=(const NameList&) = delete;

  // Keeps a copy of `sName`. Once memory has run out it keeps nothing more,
  // and Failed tells so.
  void Add(std::string_view sName);

  // The names added, duplicates included.
  size_t size() const { return count_; }

  // Puts the names in the list's order (NameOrder); equal names are all
  // kept. Call once, after the last Add. When memory runs out on the way,
  // Failed tells so.
  void Sort();

  // True when memory ran out: the names are not all there, or not sorted.
  bool Failed() const { return bFailed_; }

  // Calls `fn` with every name, in order. Only after a Sort that did not
  // fail.
  template <typename Fn>
  void ForEach(Fn fn) const {
    for (size_t i = 0; i < count_; ++i) {
      // Names in order lie all over the blocks: asking for one a few places
      // ahead keeps the wait for memory off the path of each.
      if (i + kAhead < count_) Prefetch(sorted_[i + kAhead].at);
      fn(sorted_[i].name());
    }
  }

  // As ForEach, calling `fn(iAdded, name)` with the name's place among the
  // names as added (0 for the first Add).
  template <typename Fn>
  void ForEachIndexed(Fn fn) const {
    for (size_t i = 0; i < count_; ++i) {
      if (i + kAhead < count_) Prefetch(sorted_[i + kAhead].at);
      fn(sorted_[i].index(), sorted_[i].name());
    }
  }

  // Where a name is stored and the eight bytes that sort it. Public for the
  // sort's helpers in name-list.cpp.
  struct Entry {
    uint64_t key;    // bytes [depth, depth + 8) of the name, big-endian,
                     // zero past its end, for the depth being sorted
    const char* at;  // the name's first byte, after its place and length

    size_t size() const;
    size_t index() const;
    std::string_view name() const { return {at, size()}; }
  };

 private:
  static constexpr size_t kAhead = 8;

  static void Prefetch(const char* p) {
#if defined(__GNUC__)
    __builtin_prefetch(p);
#else
    (void)p;
#endif
  }

  // Names equal but for the case of their ASCII letters, next to each
  // other once sorted, put in kBytes order, then the order added.
  void OrderTies();

  // A block of names, each stored after its place in the order added and
  // its length (two size_t).
  struct Block {
    char* data;
    size_t size;
    size_t used;  // set once the next block is started, or by Sort
  };

  NameOrder order_;
  bool bFailed_ = false;
  std::vector<Block> blocks_;
  char* at_ = nullptr;  // where the next name goes in the last block
  size_t room_ = 0;     // bytes free from there
  size_t count_ = 0;
  Entry* sorted_ = nullptr;  // count_ entries once sorted
  Entry* spare_ = nullptr;   // as many, for the sort to move entries to
};

#endif  // FLORRIN_APP_NAME_LIST_H_
