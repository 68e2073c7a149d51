// The field scanner with which every field is cut out of a downloaded page.
#ifndef FLORRIN_APP_HTML_ANALIZER_H_
#define FLORRIN_APP_HTML_ANALIZER_H_

#include "lmr.h"

// The failure value of htmlAnalyze; callers compare results with it.
extern const char kErrInFetch[];  // "!err in fetch!"

// Scans the file `strFilename`, read as text, with every "\n" ignored: finds
// the first occurrence of the marker `strReq` and returns the text that
// follows it up to, not including, the next `strTerm` (line breaks removed,
// every other byte kept). An empty marker matches at the start of the file; a
// terminator directly after the marker gives the empty text. A "\n"
// terminator is tested before line breaks are skipped: the field then ends at
// the first line break after the marker.
//
// Returns "!err in fetch!" when the file cannot be read, the marker does not
// occur, the file ends before the terminator, or `strTerm` is not exactly one
// character. The file is never changed.
sString htmlAnalyze(const sString& strFilename, const sString& strReq,
                    const sString& strTerm);

#endif  // FLORRIN_APP_HTML_ANALIZER_H_
