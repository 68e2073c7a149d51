// Every movie of the catalogue with its eleven values, read once from start
// to end for the commands that show the whole catalogue (the HTML page).
//
// Read by the listings' rules: the file is read as bytes, each line that
// begins with "[" heads a record (named as the listings name it), and the
// record's values are its key=value lines up to the next such line. As with
// --printrec, a later line with the same key wins, and "pic" drops every
// "\r".
#ifndef FLORRIN_APP_CATALOGUE_MOVIES_H_
#define FLORRIN_APP_CATALOGUE_MOVIES_H_

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "lmr.h"
#include "movie-record.h"  // MovieField: the eleven fields in their order

class CatalogueMovies {
 public:
  CatalogueMovies() = default;
  ~CatalogueMovies() { FreeRows(); }
  CatalogueMovies(const CatalogueMovies&) = delete;
  CatalogueMovies& operator=(const CatalogueMovies&) = delete;

  // Reads every record of the catalogue file `sFile`, in file order. False
  // (and no records) when it cannot be opened, a read fails part-way, or
  // memory runs out; `*pMissing` tells whether it does not exist.
  bool Read(const sString& sFile, bool* pMissing);

  // The number of records read.
  size_t size() const { return rowCount_; }

  // Record `i`'s title and its value of `field` (empty where it has none).
  // The views stay valid while the object lives and is not read again.
  std::string_view Title(size_t i) const { return View(RowAt(i).title); }
  std::string_view Value(size_t i, MovieField field) const {
    return View(RowAt(i).values[static_cast<int>(field)]);
  }

  // Starts fetching record `i` into the processor's cache ahead of use, for
  // a caller that visits records out of file order: where its values lie
  // (`bValues` false), or the first bytes of its values, which lie together
  // in the file (true; its place must have been fetched by then).
  void Prefetch(size_t i, bool bValues) const;

 private:
  // Where a value lies: in text_, or (with kSide set in `at`) in side_.
  struct Span {
    size_t at = 0;
    size_t size = 0;
  };
  struct Row {
    Span title;
    Span values[11];
  };
  static constexpr size_t kSide = ~(~size_t{0} >> 1);
  // Rows are held in blocks, filled one after the other: a small first one
  // for a small catalogue, then blocks of a huge page each. Only the blocks
  // used are touched, and none is copied when the next one starts.
  static constexpr size_t kFirstRows = 256;
  static constexpr size_t kBlockRows = (size_t{2} << 20) / sizeof(Row);

  // Memory from AllocateHeld (held-memory.h) that keeps its bytes when it
  // grows: the file's text and the rows of a large catalogue take tens of
  // megabytes, and memory touched a small page at a time costs more than
  // reading them.
  class Held {
   public:
    Held() = default;
    ~Held() { Free(); }
    Held(const Held&) = delete;
    Held& operator=(const Held&) = delete;

    // Room for at least `iBytes` bytes, the first `iKeep` of them kept;
    // false when memory ran out.
    bool Reserve(size_t iBytes, size_t iKeep);
    // Gives the memory back.
    void Free();
    char* data() const { return data_; }
    size_t capacity() const { return size_; }

   private:
    char* data_ = nullptr;
    size_t size_ = 0;
  };

  const Row& RowAt(size_t i) const {
    if (i < kFirstRows) return rowBlocks_[0][i];
    i -= kFirstRows;
    return rowBlocks_[1 + i / kBlockRows][i % kBlockRows];
  }
  // Gives back every block of rows.
  void FreeRows();
  std::string_view View(Span span) const {
    if ((span.at & kSide) != 0)
      return std::string_view(side_).substr(span.at & ~kSide, span.size);
    return std::string_view(text_.data() + span.at, span.size);
  }
  // Takes the whole lines of `sLines` (see FileView::Next), which lie in
  // text_ from `iBase` on. False when memory ran out.
  bool Take(std::string_view sLines, size_t iBase);
  // A new row, its values empty; null when memory ran out.
  Row* NewRow();

  // The file's text, every block of lines as read, and the rows' spans
  // into it: the values are not copied once more.
  Held text_;
  size_t textUsed_ = 0;
  std::vector<Row*> rowBlocks_;  // from AllocateHeld
  size_t rowCount_ = 0;
  // The few pic values that held a "\r", without it.
  std::string side_;
};

#endif  // FLORRIN_APP_CATALOGUE_MOVIES_H_
