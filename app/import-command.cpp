// "--import FILE": one record for each row of a CSV file (csv-columns.h
// says which columns are read), filled in by the movie service when a
// credential is set up.
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

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
#include "poster-name.h"
#include "service-config.h"
#include "service-text.h"
#include "smDB.h"

namespace fs = std::filesystem;

namespace {

// Rows that need no request are appended together, in one write, until
// their blocks come to this many bytes.
const size_t kBatchBytes = 16u << 20;

// A row on its way into the catalogue: its title as the file gave it, and
// the record (named by the title, or "Title (Year)" once decided).
struct Pending {
  sString sTitle;
  MovieRecord m;
};

size_t BlockSize(const MovieRecord& m) {
  size_t n = m.sName.size() + m.sTmdb.size() + m.sImdb.size() + 64;
  for (const sString& v : m.values) n += v.size() + 12;
  return n;
}

// True for a plain file name in the current folder (no folder part).
bool IsPlainFileName(const sString& sName) {
  if (sName.empty() || sName == "." || sName == "..") return false;
  return sName.find_first_of("/\\:") == sString::npos;
}

class Importer {
 public:
  Importer(const sString& sFile, FailureLog log)
      : sFile_(sFile), log_(std::move(log)) {}

  // Runs the import of the rows `reader` hands out, with `source` (null:
  // no requests). Prints the names added; false when it failed part-way.
  bool Run(CsvReader* reader, const CsvColumns& columns, MovieSource* source);

 private:
  void Log(long iRow, const sString& sTitle, const sString& sWhy) {
    log_(sFile_ + ": row " + std::to_string(iRow) +
         (sTitle.empty() ? sString() : " (" + sTitle + ")") + ": " + sWhy);
  }

  // The row's own record, in the catalogue's encoding; its Poster only when
  // it names a file here that no record names.
  Pending FromRow(const CsvMovie& c);

  // Fills `*p` from the service; false when the import must stop.
  bool Ask(long iRow, MovieSource* source, Pending* p);

  // Appends the pending records: checked again against the catalogue as it
  // is now when `bReload` (under the lock taken here), else against the
  // index as it stands (the caller holds the lock). False when the append
  // failed.
  bool Commit(bool bReload);

  sString sFile_;
  FailureLog log_;
  ImportIndex index_;
  std::vector<Pending> pending_;
  std::vector<long> pending_rows_;
  size_t pending_bytes_ = 0;
};

Pending Importer::FromRow(const CsvMovie& c) {
  Pending p;
  p.sTitle = CatalogueText(c.sTitle);
  p.m.sName = p.sTitle;
  for (size_t i = 0; i < c.values.size(); ++i)
    p.m.values[i] = CatalogueText(c.values[i]);
  p.m.sTmdb = c.sTmdb;
  p.m.sImdb = c.sImdb;
  sString& sPic = p.m.values[kPic];
  std::error_code ec;
  if (!IsPlainFileName(sPic) || !fs::is_regular_file(fs::path(sPic), ec) ||
      index_.NamesPicture(sPic))
    sPic.clear();
  return p;
}

bool Importer::Ask(long iRow, MovieSource* source, Pending* p) {
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
    const SearchAnswer answer = source->Search(sWords);
    if (!answer.bFetched) return false;
    if (answer.sPick.empty()) {
      Log(iRow, p->sTitle, "the service knows no such movie: the row's own "
                           "columns are stored");
      return true;
    }
    sAddress = answer.sPick;
  }
  MovieDetails d;
  switch (source->Details(sAddress, &d)) {
    case DetailsStatus::kOk:
      break;
    case DetailsStatus::kUnknown:
      Log(iRow, p->sTitle, "the service knows no such movie: the row's own "
                           "columns are stored");
      return true;
    case DetailsStatus::kFetchFailed:
    case DetailsStatus::kRefused:
      return false;
  }
  FillMissing(d, &m);
  FillMissingIds(d, &m);
  // The name may change with the service's year or ids; the poster takes
  // the name decided now.
  sString sName;
  const RowVerdict verdict =
      index_.Decide(p->sTitle, m.values[kYear], m.sTmdb, m.sImdb, &sName);
  if (verdict != RowVerdict::kAdd) return true;  // Commit says why
  m.sName = sName;
  const sString sPicFile = PosterFileName(sName);
  if (m.values[kPic].empty() && !d.sPosterURL.empty() && !sPicFile.empty() &&
      source->FetchPoster(d.sPosterURL, sPicFile))
    m.values[kPic] = sPicFile;
  return true;
}

bool Importer::Commit(bool bReload) {
  std::unique_ptr<CatalogueLock> lock;
  if (bReload) {
    lock = std::make_unique<CatalogueLock>(DBfile + ".lock");
    if (!index_.Load(DBfile)) return false;
  }
  std::vector<MovieRecord> batch;
  batch.reserve(pending_.size());
  for (size_t i = 0; i < pending_.size(); ++i) {
    Pending& p = pending_[i];
    if (bReload) {
      sString sName;
      const RowVerdict verdict = index_.Decide(
          p.sTitle, p.m.values[kYear], p.m.sTmdb, p.m.sImdb, &sName);
      if (verdict != RowVerdict::kAdd) {
        Log(pending_rows_[i], p.sTitle, VerdictText(verdict));
        continue;
      }
      p.m.sName = sName;
      index_.Note(p.m);
    }
    batch.push_back(std::move(p.m));
  }
  pending_.clear();
  pending_rows_.clear();
  pending_bytes_ = 0;
  if (!AppendMovies(DBfile, batch)) return false;
  for (const MovieRecord& m : batch) Print(m.sName + "|");
  return true;
}

bool Importer::Run(CsvReader* reader, const CsvColumns& columns,
                   MovieSource* source) {
  // Without requests the whole import holds the lock, and the index is read
  // under it; with them, each append takes the lock and reads it again.
  std::unique_ptr<CatalogueLock> lock;
  if (source == nullptr)
    lock = std::make_unique<CatalogueLock>(DBfile + ".lock");
  smDB db;
  if (!db.open(DBfile) || !db.mayChange() || !index_.Load(DBfile))
    return false;
  const bool bReload = source != nullptr;
  std::vector<std::string> cells;
  for (long iRow = 1;; ++iRow) {
    switch (reader->Next(&cells)) {
      case CsvStatus::kRow:
        break;
      case CsvStatus::kEnd:
        return pending_.empty() || Commit(bReload);
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
    Pending p = FromRow(columns.Read(cells));
    sString sName;
    RowVerdict verdict = index_.Decide(p.sTitle, p.m.values[kYear],
                                       p.m.sTmdb, p.m.sImdb, &sName);
    // A title taken without a year of the row's own may still get the
    // service's year.
    const bool bAsk = source != nullptr && !LacksNothing(p.m);
    const bool bFinal = verdict != RowVerdict::kTaken ||
                        !p.m.values[kYear].empty() || !bAsk;
    if (verdict != RowVerdict::kAdd && bFinal) {
      Log(iRow, p.sTitle, VerdictText(verdict));
      continue;
    }
    if (verdict == RowVerdict::kAdd) p.m.sName = sName;
    if (bAsk) {
      if (!Ask(iRow, source, &p)) {
        // What was fetched before stays; the rest is for a second run.
        if (!pending_.empty()) Commit(true);
        return false;
      }
      pending_.push_back(p);
      pending_rows_.push_back(iRow);
      if (!Commit(true)) return false;
      continue;
    }
    if (!bReload) index_.Note(p.m);
    pending_bytes_ += BlockSize(p.m);
    pending_.push_back(std::move(p));
    pending_rows_.push_back(iRow);
    if (pending_bytes_ >= kBatchBytes && !Commit(bReload)) return false;
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
    Importer importer(sFile, log);
    bOk = importer.Run(&reader, columns, source.get());
  }
  std::fclose(f);
  Print(bOk ? "!ok!" : "!error!");
}
