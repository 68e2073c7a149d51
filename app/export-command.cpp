// "--export FILE": every record as a row of a CSV file that spreadsheets and
// movie sites read (csv-columns.h).
#include <cstdio>
#include <filesystem>
#include <string>
#include <system_error>

#include "catalogue-utf8.h"
#include "commands.h"
#include "csv-columns.h"
#include "csv.h"
#include "file-argument.h"
#include "movie-record.h"
#include "smDB.h"

#ifdef _WIN32
#include <process.h>
#define getpid _getpid
#else
#include <unistd.h>
#endif

namespace fs = std::filesystem;

namespace {

// What is written is handed to the file in pieces of about this size.
const size_t kWriteChunk = 1 << 20;

// Whether `target` may receive an export: not the catalogue (by identity),
// not a working file beside it, and not something other than a regular file.
bool MayExportTo(const fs::path& target) {
  std::error_code ec;
  const fs::file_status status = fs::status(target, ec);
  if (fs::exists(status) && !fs::is_regular_file(status)) return false;
  if (SameFile(target, fs::path(DBfile))) return false;
  return !IsWorkingFile(target);
}

// The scratch file beside `target` that becomes it: hidden, named for this
// run, so that two exports side by side never share one.
fs::path ScratchBeside(const fs::path& target) {
  fs::path name = target.filename();
  name += ".florrin-" + std::to_string(getpid());
  return target.parent_path() / (fs::path(".") += name);
}

bool WriteAll(FILE* f, const std::string& sBytes) {
  return std::fwrite(sBytes.data(), 1, sBytes.size(), f) == sBytes.size();
}

// Writes the whole CSV to `f`. False when the catalogue could not be read
// to its end or a write failed.
bool WriteCsv(FILE* f) {
  std::string sOut = "\xEF\xBB\xBF";
  AppendCsvRow(ExportHeader(), &sOut);
  bool bWritten = true;
  const bool bRead = ScanMovies(DBfile, [&](const MovieRecord& m) {
    CsvMovie row;
    row.sTitle = CatalogueToUtf8(m.sName);
    for (size_t i = 0; i < row.values.size(); ++i)
      row.values[i] = CatalogueToUtf8(m.values[i]);
    row.sTmdb = CatalogueToUtf8(m.sTmdb);
    row.sImdb = CatalogueToUtf8(m.sImdb);
    AppendCsvRow(ExportRow(row), &sOut);
    if (sOut.size() >= kWriteChunk) {
      bWritten = WriteAll(f, sOut);
      sOut.clear();
    }
    return bWritten;
  });
  return bRead && bWritten && WriteAll(f, sOut);
}

}  // namespace

void fExport(const sString& sFile) {
  smDB db;
  const fs::path target = ArgumentPath(sFile);
  if (!db.open(DBfile) || sFile.empty() || !MayExportTo(target)) {
    Print("!error!");
    return;
  }
  const fs::path scratch = ScratchBeside(target);
  std::error_code ec;
  fs::remove(scratch, ec);
  FILE* f = OpenPath(scratch, "wb");
  if (f == nullptr) {
    Print("!error!");
    return;
  }
  bool bOk = WriteCsv(f);
  bOk = SyncFile(f) && bOk;
  bOk = std::fclose(f) == 0 && bOk;
  // Checked again right before the move: the target may have changed kind.
  if (bOk && MayExportTo(target)) {
    fs::rename(scratch, target, ec);
    bOk = !ec;
  } else {
    bOk = false;
  }
  if (!bOk) fs::remove(scratch, ec);
  Print(bOk ? "!ok!" : "!error!");
}
