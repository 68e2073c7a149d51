#include "movie-record.h"

#include <cstring>
#include <string_view>

#include "file-append.h"
#include "file-identity.h"
#include "held-memory.h"
#include "line-end.h"
#include "line-reader.h"
#include "movie-fields.h"
#include "movie-rewrite.h"
#include "record-lines.h"
#include "scratch-file.h"

static_assert(kFieldCount == kMovieFields, "one list of fields");

namespace {

const char kTmdbKey[] = "tmdb";
const char kImdbKey[] = "imdb";

// Where a field line's value goes in a record being read: a field's
// position, kTmdbSlot, kImdbSlot, or -1 for a key of no interest.
const int kTmdbSlot = kFieldCount;
const int kImdbSlot = kFieldCount + 1;

int SlotOf(std::string_view key) {
  for (int i = 0; i < kFieldCount; ++i)
    if (key == kMovieKeys[i]) return i;
  if (key == kTmdbKey) return kTmdbSlot;
  if (key == kImdbKey) return kImdbSlot;
  return -1;
}

// Reads the record body after a header line into `*m` (the first line of
// each key counts), up to the next line whose first byte is "[", which is
// left in `*next`. False when the file ended first.
bool ReadBody(LineReader* reader, MovieRecord* m, std::string_view* next) {
  bool seen[kFieldCount + 2] = {};
  std::string_view line;
  while (reader->Next(&line)) {
    if (StartsRecord(line)) {
      *next = line;
      return true;
    }
    std::string_view key, value;
    if (!SplitField(line, &key, &value)) continue;
    const int slot = SlotOf(key);
    if (slot < 0 || seen[slot]) continue;
    seen[slot] = true;
    sString* target = slot == kTmdbSlot   ? &m->sTmdb
                      : slot == kImdbSlot ? &m->sImdb
                                          : &m->values[slot];
    target->assign(value);
  }
  return false;
}

// The id lines as a rewrite or an append writes them, each preceded by a
// line end.
void AppendIdLines(const sString& sTmdb, const sString& sImdb,
                   sString* pOut) {
  if (!sTmdb.empty())
    pOut->append(kLineEnd).append(kTmdbKey).append("=").append(sTmdb);
  if (!sImdb.empty())
    pOut->append(kLineEnd).append(kImdbKey).append("=").append(sImdb);
}

// The eleven field lines of `m` joined by line ends. False when a value or
// id holds a line break or the name is no record name.
bool FieldLines(const MovieRecord& m, sString* pBody) {
  if (!IsRecordName(m.sName) || HasLineBreak(m.sTmdb) ||
      HasLineBreak(m.sImdb))
    return false;
  pBody->clear();
  for (int i = 0; i < kFieldCount; ++i) {
    if (HasLineBreak(m.values[i])) return false;
    if (i > 0) pBody->append(kLineEnd);
    pBody->append(kMovieKeys[i]).append("=").append(m.values[i]);
  }
  return true;
}

// Text put together in memory from AllocateHeld, of a size known ahead.
class HeldText {
 public:
  explicit HeldText(size_t iCapacity)
      : capacity_(iCapacity == 0 ? 1 : iCapacity),
        data_(static_cast<char*>(AllocateHeld(capacity_))) {}
  ~HeldText() { FreeHeld(data_, capacity_); }
  HeldText(const HeldText&) = delete;
  HeldText& operator=(const HeldText&) = delete;

  void Append(std::string_view s) {
    if (data_ == nullptr || size_ + s.size() > capacity_) {
      whole_ = false;
      return;
    }
    std::memcpy(data_ + size_, s.data(), s.size());
    size_ += s.size();
  }
  // False when memory was lacking or the text outgrew its size.
  bool Whole() const { return whole_ && data_ != nullptr; }
  std::string_view View() const { return std::string_view(data_, size_); }

 private:
  size_t capacity_;
  char* data_;
  size_t size_ = 0;
  bool whole_ = true;
};

// Gathers the keys of each record from its lines, for ScanMovieKeys. The
// keys are views into the lines while the record's lines are all in the
// reader's block; Hold copies them before the block is replaced.
class KeysScan {
 public:
  explicit KeysScan(const std::function<void(const MovieKeys&)>& each)
      : each_(each) {}

  // Takes one line, without its line end. A header line hands the record
  // before it out.
  void Line(std::string_view line) {
    if (line.empty()) return;
    // Four keys of four different first bytes: most lines (plot, cast, ...)
    // fail at the first byte.
    switch (line[0]) {
      case '[':
        End();
        in_record_ = true;
        keys_ = MovieKeys();
        keys_.sName = BracketName(line);
        seen_ = 0;
        return;
      case 'y':
        Take(line, kMovieKeys[kYear], 1, &keys_.sYear);
        return;
      case 't':
        Take(line, kTmdbKey, 2, &keys_.sTmdb);
        return;
      case 'i':
        Take(line, kImdbKey, 4, &keys_.sImdb);
        return;
      case 'p':
        Take(line, kMovieKeys[kPic], 8, &keys_.sPic);
        return;
      default:
        return;
    }
  }

  // Makes the keys gathered so far the scan's own.
  void Hold() {
    std::string_view* const views[] = {&keys_.sName, &keys_.sYear,
                                       &keys_.sTmdb, &keys_.sImdb,
                                       &keys_.sPic};
    for (size_t i = 0; i < kKeys; ++i) {
      std::string_view& view = *views[i];
      if (view.empty() || view.data() == held_[i].data()) continue;
      held_[i].assign(view.data(), view.size());
      view = held_[i];
    }
  }

  // Hands out the record being read, if any.
  void End() {
    if (in_record_) each_(keys_);
    in_record_ = false;
  }

 private:
  static const size_t kKeys = 5;

  // The first line of key `key` counts (bit `iBit` of seen_ says it came).
  void Take(std::string_view line, std::string_view key, unsigned iBit,
            std::string_view* value) {
    if (!in_record_ || (seen_ & iBit) != 0 || line.size() <= key.size() ||
        line[key.size()] != '=' ||
        std::memcmp(line.data(), key.data(), key.size()) != 0)
      return;
    seen_ |= iBit;
    *value = line.substr(key.size() + 1);
  }

  const std::function<void(const MovieKeys&)>& each_;
  MovieKeys keys_;
  unsigned seen_ = 0;
  bool in_record_ = false;
  sString held_[kKeys];
};

}  // namespace

const char* MovieKey(int i) { return kMovieKeys[i]; }

bool ScanMovies(const sString& sFile,
                const std::function<bool(const MovieRecord&)>& each) {
  LineReader reader;
  if (!reader.Open(sFile)) return false;
  std::string_view line;
  // Lines before the first header belong to no record.
  bool bHeader = false;
  while (reader.Next(&line)) {
    if (StartsRecord(line)) {
      bHeader = true;
      break;
    }
  }
  while (bHeader) {
    MovieRecord m;
    m.sName.assign(BracketName(line));
    bHeader = ReadBody(&reader, &m, &line);
    // A read that failed part-way may have cut this record short.
    if (reader.Failed()) return false;
    if (!each(m)) return true;
  }
  return !reader.Failed();
}

bool ScanMovieKeys(const sString& sFile,
                   const std::function<void(const MovieKeys&)>& each,
                   size_t iBlockSize) {
  LineReader reader(iBlockSize == 0 ? LineReader::kDefaultBlockSize
                                    : iBlockSize);
  if (!reader.Open(sFile)) return false;
  KeysScan scan(each);
  for (;;) {
    // The whole lines of the block are split here, in one loop; only the
    // line that runs past the block's end goes through Next, which joins
    // it to the start of the next block.
    const std::string_view lines = reader.SkipWholeLines();
    const char* p = lines.data();
    const char* const end = p + lines.size();
    while (p < end) {
      const char* nl =
          static_cast<const char*>(std::memchr(p, '\n', end - p));
      size_t len = static_cast<size_t>(nl - p);
      if (len > 0 && p[len - 1] == '\r') --len;
      scan.Line(std::string_view(p, len));
      p = nl + 1;
    }
    scan.Hold();
    std::string_view line;
    if (!reader.Next(&line)) break;
    scan.Line(line);
  }
  if (reader.Failed()) return false;
  scan.End();
  return true;
}

bool ReadMovie(const sString& sFile, const sString& sName,
               MovieRecord* pOut) {
  if (!IsRecordName(sName)) return false;
  LineReader reader;
  if (!reader.Open(sFile)) return false;
  std::string_view header;
  if (!SeekHeader(&reader, sName, &header)) return false;
  MovieRecord m;
  m.sName = sName;
  std::string_view next;
  ReadBody(&reader, &m, &next);
  if (reader.Failed()) return false;
  *pOut = m;
  return true;
}

bool AppendMovies(const sString& sFile,
                  const std::vector<const MovieRecord*>& batch) {
  size_t iBytes = 0;
  for (const MovieRecord* m : batch) {
    iBytes += m->sName.size() + m->sTmdb.size() + m->sImdb.size() + 128;
    for (const sString& v : m->values) iBytes += v.size() + 16;
  }
  // A batch of thousands of records is megabytes: they are put together in
  // held memory, faulted in at once, as touching fresh memory a page at a
  // time costs more than putting the text together.
  HeldText blocks(iBytes);
  sString sBlock;
  sString sBody;
  for (const MovieRecord* m : batch) {
    if (!FieldLines(*m, &sBody)) return false;
    sBlock.assign(kLineEnd).append(kLineEnd);
    sBlock.append("[").append(m->sName).append("]").append(kLineEnd);
    sBlock.append(sBody);
    AppendIdLines(m->sTmdb, m->sImdb, &sBlock);
    blocks.Append(sBlock);
  }
  if (!MayChange(sFile)) return false;
  if (batch.empty()) return true;
  return blocks.Whole() && AppendWhole(sFile, blocks.View());
}

bool AppendMovies(const sString& sFile,
                  const std::vector<MovieRecord>& batch) {
  std::vector<const MovieRecord*> records;
  records.reserve(batch.size());
  for (const MovieRecord& m : batch) records.push_back(&m);
  return AppendMovies(sFile, records);
}

bool RewriteMovie(const sString& sFile, const MovieRecord& m) {
  sString sBody;
  if (!FieldLines(m, &sBody)) return false;
  return RewriteMovieRecord(sFile, m.sName, sBody, true, m.sTmdb, m.sImdb);
}

bool RewriteMovieRecord(const sString& sFile, const sString& sRec,
                        std::string_view sBody, bool bSetIds,
                        const sString& sTmdb, const sString& sImdb) {
  LineReader reader;
  ScratchFile scratch("tmpfl");
  std::string_view header;
  if (!BeginRecordRewrite(sFile, sRec, &reader, &scratch, &header))
    return false;
  scratch.CopyLine(header, reader.LineEnd());
  // The header line is gone from the reader's storage once the body is
  // read: it has been copied first.
  MovieRecord old;
  std::string_view next;
  const bool bNext = ReadBody(&reader, &old, &next);
  sString sLines(sBody);
  if (bSetIds) {
    AppendIdLines(sTmdb, sImdb, &sLines);
  } else {
    AppendIdLines(old.sTmdb, old.sImdb, &sLines);
  }
  scratch.WriteLine(sLines);
  scratch.WriteLine("");
  if (bNext) {
    scratch.CopyLine(next, reader.LineEnd());
    CopyRest(&reader, &scratch);
  }
  reader.Close();
  if (reader.Failed()) {
    scratch.Discard();
    return false;
  }
  return scratch.PutInPlace();
}
