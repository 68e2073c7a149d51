// Reading the web lookup's files (downloaded pages, the downloader's log) as
// text.
//
// Every such file is read the way a text-mode stream reads it on Windows: a
// carriage return directly followed by a line feed reads as the line feed
// alone; every other byte, a lone carriage return included, reads unchanged.
// So a page served with CR LF line ends reads the same on every platform.
#ifndef FLORRIN_APP_WEB_TEXT_H_
#define FLORRIN_APP_WEB_TEXT_H_

#include <vector>

#include "lmr.h"

// Translates CR LF pairs to LF across chunks of a byte stream: feed the
// chunks in order with Add, then call Finish once.
class CrLfTranslator {
 public:
  explicit CrLfTranslator(sString* out) : out_(out) {}

  // Appends the translation of `chunk` to the output. A carriage return at the
  // end of a chunk is held back until the next byte shows what follows it.
  void Add(std::string_view chunk);

  // Flushes a carriage return still held back (the stream ended after it).
  void Finish();

 private:
  sString* out_;
  bool bPendingCr_ = false;
};

// Reads the whole file `strFileName` as text into `*strText`. False (and
// `*strText` empty) when the file cannot be opened or read.
bool ReadTextFile(const sString& strFileName, sString* strText);

// Splits a text into lines at each "\n", which is not part of its line. The
// text after the last "\n" is one more line, the last one, even when it is
// empty; an empty text is one empty line.
std::vector<sString> SplitTextLines(std::string_view strText);

// Reads the file as text and splits it into lines as SplitTextLines does.
// False (and `*lines` empty) when the file cannot be opened or read.
bool ReadTextLines(const sString& strFileName, std::vector<sString>* lines);

#endif  // FLORRIN_APP_WEB_TEXT_H_
