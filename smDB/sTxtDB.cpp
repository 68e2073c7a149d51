#include "sTxtDB.h"

#include <cstdint>
#include <cstdio>
#include <string_view>

#include "file-identity.h"
#include "get-put-line.h"
#include "line-end.h"
#include "line-reader.h"
#include "record-lines.h"
#include "scratch-file.h"

namespace {

const char kHeaderLine[] = "1.0.0-TALVERO_sTxtDB";
const char kNotFound[] = "!not found!";

}  // namespace

sTxtDB::sTxtDB() : opened(false) {}

sTxtDB::~sTxtDB() = default;

bool sTxtDB::open(const sString& sFile) {
  if (opened) return false;
  LineReader probe;
  if (!probe.Open(sFile)) {
    close();
    return false;
  }
  DBfile = sFile;
  opened = true;
  return true;
}

void sTxtDB::close() {
  DBfile.clear();
  opened = false;
}

bool sTxtDB::isopen() const { return opened; }

bool sTxtDB::create(const sString& sFile) {
  if (opened) return false;
  FILE* f = std::fopen(sFile.c_str(), "wb");
  if (f == nullptr) return false;
  std::fputs(kHeaderLine, f);
  std::fputs(kLineEnd, f);
  opened = std::fflush(f) == 0 && std::ferror(f) == 0;
  std::fclose(f);
  if (opened) DBfile = sFile;
  return opened;
}

bool sTxtDB::isName(const sString& sRec) { return IsRecordName(sRec); }

bool sTxtDB::isRec(const sString& sRec) {
  if (!opened) return true;
  LineReader reader;
  // A file that can no longer be read cannot show the name is free; saying
  // it is taken keeps addRec from creating a new file by appending.
  if (!reader.Open(DBfile)) return true;
  std::string_view header;
  return SeekHeader(&reader, sRec, &header) || reader.Failed();
}

sString sTxtDB::getRec(const sString& sRec, const sString& sField) {
  if (!opened) return kNotFound;
  LineReader reader;
  if (!reader.Open(DBfile)) return kNotFound;
  std::string_view line;
  if (!SeekHeader(&reader, sRec, &line)) return kNotFound;
  while (reader.Next(&line)) {
    if (StartsRecord(line)) break;
    std::string_view key, value;
    if (SplitField(line, &key, &value) && key == sField) return sString(value);
  }
  return kNotFound;
}

bool sTxtDB::editRec(const sString& sRec, const sString& sField,
                     const sString& sValue) {
  if (!opened || !IsRecordName(sRec)) return false;
  if (HasLineBreak(sField) || HasLineBreak(sValue)) return false;
  LineReader reader;
  if (!reader.Open(DBfile)) return false;
  std::string_view line;
  int64_t n = 0;  // the number of the line in hand
  if (!SeekHeader(&reader, sRec, &line, nullptr, &n)) return false;
  while (++n, reader.Next(&line)) {
    if (StartsRecord(line)) break;
    std::string_view key, value;
    if (SplitField(line, &key, &value) && key == sField) {
      reader.Close();
      return ReplaceLineOf(DBfile, n, sField + "=" + sValue, true);
    }
  }
  return false;
}

bool sTxtDB::mayChange() const { return opened && MayChange(DBfile); }

bool sTxtDB::addRec(const sString& sRec, const sString& sField1) {
  if (!opened) return false;
  if (!IsRecordName(sRec) || HasLineBreak(sField1)) return false;
  if (isRec(sRec)) return false;
  return AppendRecord(DBfile, sRec, "field=" + sField1);
}

bool sTxtDB::delRec(const sString& sRec) {
  // A name no record can hold would match a line that is no header.
  if (!opened || !IsRecordName(sRec)) return false;
  LineReader reader;
  ScratchFile scratch("tmpfl");
  // The header line and its body are dropped.
  std::string_view header;
  if (!BeginRecordRewrite(DBfile, sRec, &reader, &scratch, &header))
    return false;
  return FinishRecordRewrite(&reader, &scratch);
}
