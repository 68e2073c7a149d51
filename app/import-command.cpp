// "--import FILE": one record for each row of a CSV file (csv-columns.h
// says which columns are read), filled in by the movie service when a
// credential is set up.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "ascii.h"
#include "catalogue-lock.h"
#include "commands.h"
#include "csv-columns.h"
#include "csv.h"
#include "failure-log.h"
#include "file-argument.h"
#include "import-index.h"
#include "movie-fill.h"
#include "movie-record.h"
#include "movie-sources.h"
#include "poster-address.h"
#include "poster-name.h"
#include "service-config.h"
#include "service-text.h"
#include "smDB.h"

namespace fs = std::filesystem;

namespace {

// Rows are read and decided in batches of about this many bytes of record
// blocks: each batch costs one pass over the catalogue, and rows that need
// no request go into it in one write.
const size_t kBatchBytes = 16u << 20;

// A row on its way into the catalogue: its row number, its title as the
// file gave it, and the record (named by the title, or "Title (Year)" once
// decided).
struct Pending {
  long iRow = 0;
  sString sTitle;
  MovieRecord m;
};

size_t BlockSize(const MovieRecord& m) {
  size_t n = m.sName.size() + m.sTmdb.size() + m.sImdb.size() + 64;
  for (const sString& v : m.values) n += v.size() + 12;
  return n;
}

// `sUtf8` in the catalogue's encoding. ASCII is the same in every one, and
// most values are ASCII: they are taken as they are.
sString InCatalogue(sString sUtf8) {
  if (!IsAscii(sUtf8)) return CatalogueText(sUtf8);
  return sUtf8;
}

class Importer {
 public:
  Importer(const sString& sFile, FailureLog log, MovieSource* source)
      : sFile_(sFile), log_(std::move(log)), source_(source) {}

  // Runs the import of the rows `reader` hands out (null source_: no
  // requests). Prints the names added; false when it failed part-way.
  bool Run(CsvReader* reader, const CsvColumns& columns);

 private:
  void Log(long iRow, const sString& sTitle, const sString& sWhy) {
    log_(sFile_ + ": row " + std::to_string(iRow) +
         (sTitle.empty() ? sString() : " (" + sTitle + ")") + ": " + sWhy);
  }

  // Sets `*p` to the row's own record, in the catalogue's encoding; its
  // Poster only when it names a file here (whether a record names it is
  // asked later).
  void FromRow(long iRow, CsvMovie c, Pending* p) const;

  // Decides the rows of `batch` in order, against the catalogue and the
  // rows before them; appends them, fetching what they lack first where
  // there is a source. False when the import must stop.
  bool Import(std::vector<Pending>* batch);

  // Fills `*p` from the service; false when the import must stop.
  bool Ask(Pending* p);

  // Appends the rows that waited in pending_, decided once more against
  // the catalogue as it is now, under the lock taken here. False when the
  // append failed.
  bool Commit();

  // Appends `batch`, already decided, and prints its names.
  bool Append(const std::vector<const MovieRecord*>& batch);

  sString sFile_;
  FailureLog log_;
  MovieSource* source_;
  ImportIndex index_;
  std::vector<Pending> pending_;
};

void Importer::FromRow(long iRow, CsvMovie c, Pending* p) const {
  p->iRow = iRow;
  p->sTitle = InCatalogue(std::move(c.sTitle));
  p->m.sName = p->sTitle;
  for (size_t i = 0; i < c.values.size(); ++i)
    p->m.values[i] = InCatalogue(std::move(c.values[i]));
  p->m.sTmdb = std::move(c.sTmdb);
  p->m.sImdb = std::move(c.sImdb);
  sString& sPic = p->m.values[kPic];
  std::error_code ec;
  if (!IsPlainFileName(sPic) || !fs::is_regular_file(fs::path(sPic), ec))
    sPic.clear();
}

bool Importer::Ask(Pending* p) {
  MovieRecord& m = p->m;
  sString sAddress;
  if (!m.sTmdb.empty()) {
    sAddress = "/movie/" + m.sTmdb;
  } else if (!m.sImdb.empty()) {
    sAddress = m.sImdb;
  } else {
    const sString& sYear = m.values[kYear];
    const sString sWords =
        sYear.size() == 4 ? p->sTitle + " (" + sYear + ")" : p->sTitle;
    const SearchAnswer answer = source_->Search(sWords);
    if (!answer.bFetched) return false;
    if (answer.sPick.empty()) {
      Log(p->iRow, p->sTitle, "the service knows no such movie: the row's "
                              "own columns are stored");
      return true;
    }
    sAddress = answer.sPick;
  }
  MovieDetails d;
  switch (source_->Details(sAddress, &d)) {
    case DetailsStatus::kOk:
      break;
    case DetailsStatus::kUnknown:
      Log(p->iRow, p->sTitle, "the service knows no such movie: the row's "
                              "own columns are stored");
      return true;
    case DetailsStatus::kFetchFailed:
    case DetailsStatus::kRefused:
      return false;
  }
  FillMissing(d, &m);
  FillMissingIds(d, &m);
  // The name may change with the service's year or ids; the poster takes
  // the name decided now.
  index_.Want(p->sTitle, m);
  if (!index_.Load(DBfile)) return false;
  sString sName;
  const RowVerdict verdict =
      index_.Decide(p->sTitle, m.values[kYear], m.sTmdb, m.sImdb, &sName);
  if (verdict != RowVerdict::kAdd) return true;  // Commit says why
  m.sName = sName;
  const sString sPicFile = PosterFileName(sName);
  if (m.values[kPic].empty() && !d.sPosterURL.empty() && !sPicFile.empty() &&
      source_->FetchPoster(d.sPosterURL, sPicFile))
    m.values[kPic] = sPicFile;
  return true;
}

bool Importer::Append(const std::vector<const MovieRecord*>& batch) {
  if (!AppendMovies(DBfile, batch)) return false;
  for (const MovieRecord* m : batch) Print(m->sName + "|");
  return true;
}

bool Importer::Commit() {
  CatalogueLock lock(DBfile + ".lock");
  if (!index_.Load(DBfile)) return false;
  std::vector<const MovieRecord*> batch;
  batch.reserve(pending_.size());
  for (Pending& p : pending_) {
    sString sName;
    const RowVerdict verdict = index_.Decide(
        p.sTitle, p.m.values[kYear], p.m.sTmdb, p.m.sImdb, &sName);
    if (verdict != RowVerdict::kAdd) {
      Log(p.iRow, p.sTitle, VerdictText(verdict));
      continue;
    }
    p.m.sName = sName;
    index_.Note(p.m);
    batch.push_back(&p.m);
  }
  const bool bOk = Append(batch);
  pending_.clear();
  return bOk;
}

bool Importer::Import(std::vector<Pending>* rows) {
  index_.Forget(rows->size());
  for (const Pending& p : *rows) index_.Want(p.sTitle, p.m);
  if (!index_.Load(DBfile)) return false;
  // Without a source the whole import holds the lock: what is decided here
  // is final, and the batch goes in one write.
  std::vector<const MovieRecord*> decided;
  for (Pending& p : *rows) {
    sString& sPic = p.m.values[kPic];
    if (!sPic.empty() && index_.NamesPicture(sPic)) sPic.clear();
    sString sName;
    const RowVerdict verdict = index_.Decide(p.sTitle, p.m.values[kYear],
                                             p.m.sTmdb, p.m.sImdb, &sName);
    // A title taken without a year of the row's own may still get the
    // service's year.
    const bool bAsk = source_ != nullptr && !LacksNothing(p.m);
    const bool bFinal = verdict != RowVerdict::kTaken ||
                        !p.m.values[kYear].empty() || !bAsk;
    if (verdict != RowVerdict::kAdd && bFinal) {
      Log(p.iRow, p.sTitle, VerdictText(verdict));
      continue;
    }
    if (verdict == RowVerdict::kAdd) p.m.sName = sName;
    if (source_ == nullptr) {
      index_.Note(p.m);
      if (decided.empty()) decided.reserve(rows->size());
      decided.push_back(&p.m);
      continue;
    }
    // With a source each row is decided again under the lock, right before
    // its append; rows that need a request are appended one by one, as
    // they arrive.
    if (!bAsk) {
      pending_.push_back(std::move(p));
      continue;
    }
    if (!Ask(&p)) {
      // What was fetched before stays; the rest is for a second run.
      if (!pending_.empty()) Commit();
      return false;
    }
    pending_.push_back(std::move(p));
    if (!Commit()) return false;
  }
  const bool bOk = source_ == nullptr ? Append(decided)
                                      : pending_.empty() || Commit();
  rows->clear();
  return bOk;
}

bool Importer::Run(CsvReader* reader, const CsvColumns& columns) {
  std::unique_ptr<CatalogueLock> lock;
  if (source_ == nullptr)
    lock = std::make_unique<CatalogueLock>(DBfile + ".lock");
  smDB db;
  if (!db.open(DBfile) || !db.mayChange()) return false;
  // Room for a batch of rows of a usual size at once (memory is taken as it
  // is touched).
  std::vector<Pending> rows;
  rows.reserve(kBatchBytes / 512);
  size_t iBytes = 0;
  std::vector<std::string> cells;
  for (long iRow = 1;; ++iRow) {
    switch (reader->Next(&cells)) {
      case CsvStatus::kRow:
        break;
      case CsvStatus::kEnd:
        return rows.empty() || Import(&rows);
      case CsvStatus::kTooLong:
        Log(iRow, sString(), "longer than 1 MiB: row skipped");
        continue;
      case CsvStatus::kNotText:
      case CsvStatus::kUtf16:
        Log(iRow, sString(), "a NUL byte: this is no CSV text");
        return false;
      case CsvStatus::kFailed:
        Log(iRow, sString(), "the file could not be read");
        return false;
    }
    rows.emplace_back();
    FromRow(iRow, columns.Read(std::move(cells)), &rows.back());
    iBytes += BlockSize(rows.back().m);
    if (iBytes >= kBatchBytes) {
      if (!Import(&rows)) return false;
      iBytes = 0;
    }
  }
}

}  // namespace

void fImport(const sString& sFile) {
  const FailureLog log = EnvironmentFailureLog();
  smDB db;
  const fs::path path = ArgumentPath(sFile);
  std::error_code ec;
  if (!db.open(DBfile) || sFile.empty() ||
      !fs::is_regular_file(path, ec) || SameFile(path, fs::path(DBfile))) {
    Print("!error!");
    return;
  }
  FILE* f = OpenPath(path, "rb");
  if (f == nullptr) {
    Print("!error!");
    return;
  }
  CsvReader reader([f](char* buffer, size_t size) -> long {
    const size_t n = std::fread(buffer, 1, size, f);
    return n == 0 && std::ferror(f) ? -1 : static_cast<long>(n);
  });
  std::vector<std::string> header;
  const CsvStatus status = reader.Next(&header);
  const CsvColumns columns(header);
  bool bOk = false;
  if (status == CsvStatus::kUtf16) {
    log(sFile + ": a UTF-16 file; save it as CSV in UTF-8");
  } else if (status == CsvStatus::kNotText) {
    log(sFile + ": a NUL byte: this is no CSV text");
  } else if (status != CsvStatus::kRow || !columns.HasTitle()) {
    log(sFile + ": no Title or Name column in the first row");
  } else {
    const ServiceSettings settings = LoadServiceSettings(ProcessEnvironment());
    std::unique_ptr<MovieSource> source;
    if (settings.HasCredential()) source = SourceForSearch();
    Importer importer(sFile, log, source.get());
    bOk = importer.Run(&reader, columns);
  }
  std::fclose(f);
  Print(bOk ? "!ok!" : "!error!");
}
