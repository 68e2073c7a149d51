// How the store reads its lines: the bracket name of a line, field lines and
// the end of a record body. Shared by sTxtDB and smDB; not part of the
// store's public interface.
#ifndef FLORRIN_SMDB_RECORD_LINES_H_
#define FLORRIN_SMDB_RECORD_LINES_H_

#include <cstdint>
#include <string_view>

#include "line-reader.h"
#include "lmr.h"
#include "scratch-file.h"

// The text from just after the line's first "[" (or from its start, when it
// has none) up to the first "]" at or after that point; the whole line when
// no such "]" follows. The view points into `line`.
std::string_view BracketName(std::string_view line);

// Splits a field line at its first "=": `*key` is the text before it and
// `*value` everything after it. False (outputs untouched) for a line without
// "=".
bool SplitField(std::string_view line, std::string_view* key,
                std::string_view* value);

// True for a line whose first byte is "[": it ends the record body before it.
bool StartsRecord(std::string_view line);

// True when `sText` holds a line break, which a name, key or value must never
// do: it would write extra lines into the store.
bool HasLineBreak(std::string_view sText);

// True for a name a record can be stored and found under: not empty, and
// without "]" (a bracket name ends at the first "]", so the record could
// never be found again) or a line break.
bool IsRecordName(std::string_view sRec);

// Appends a new record to the end of store file `sFile`: two line ends, "["
// `sRec` "]", a line end, then `sBody`, the record's field lines joined by
// line ends, all or nothing; every line end is the system's. True when
// everything was written and is on the disk; on false the file is as it was.
// A file the caller may not change (see MayChange) is refused.
bool AppendRecord(const sString& sFile, std::string_view sRec,
                  std::string_view sBody);

// True when `line` is a header line of record `sRec`: it begins with "[" and
// its bracket name is `sRec`. A bracketed word inside a value heads nothing.
bool IsHeaderOf(std::string_view line, std::string_view sRec);

// Reads up to and including the record's header line, the first line that
// IsHeaderOf `sRec`, and stores it in `*header`. The lines before it are
// copied to `copy` (each with its own line end) when given, and their number is
// added to `*pLines` when given. False when no line carries the name, or
// when a read failed (see LineReader::Failed).
bool SeekHeader(LineReader* reader, const sString& sRec,
                std::string_view* header, ScratchFile* copy = nullptr,
                int64_t* pLines = nullptr);

// Drops the rest of a record body: reads up to and including the next line
// whose first byte is "[" and stores it in `*next`. False at end of file.
bool SkipBody(LineReader* reader, std::string_view* next);

// Copies every remaining line to `copy`, each with its own line end (the last
// line with the system's).
void CopyRest(LineReader* reader, ScratchFile* copy);

// The two ends of a rewrite that replaces one record of store file `sFile`,
// each line copied with its own line end. BeginRecordRewrite opens `reader` on
// the file and `scratch` for it (see ScratchFile::Open), copies the lines
// before the record's header line and stores that line in `*header`. False
// when the file cannot be read, the caller may not change it or the scratch
// file cannot be created, or when no line carries the name (the scratch file
// is then removed). The caller then writes what replaces the header and its
// body.
bool BeginRecordRewrite(const sString& sFile, const sString& sRec,
                        LineReader* reader, ScratchFile* scratch,
                        std::string_view* header);
// Drops the rest of the old body, copies everything from the next header
// line on, and puts the scratch file in place of the store file. True when
// the new file is in place; when a read fails, the scratch file is removed
// and the store file left as it was.
bool FinishRecordRewrite(LineReader* reader, ScratchFile* scratch);

#endif  // FLORRIN_SMDB_RECORD_LINES_H_
