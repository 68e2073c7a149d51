// Helpers shared by the fuzz targets: a private working folder, files made
// from fuzz input, standard output captured or silenced, and the failure
// report that turns a broken property into a crash libFuzzer keeps.
#ifndef FLORRIN_FUZZ_FUZZ_SUPPORT_H_
#define FLORRIN_FUZZ_FUZZ_SUPPORT_H_

#include <fuzzer/FuzzedDataProvider.h>

#include <string>
#include <string_view>

namespace fuzz {

// Makes a new temporary folder the current directory for the rest of the
// process and removes it at a normal exit. Florrin's working files have
// fixed names in the current directory, so every target calls this once,
// from LLVMFuzzerInitialize. Aborts when the folder cannot be made.
void EnterScratchFolder();

// Replaces the file `name` by exactly `bytes`. Aborts on failure: a target
// that cannot set up its input would test nothing.
void WriteFile(const char* name, std::string_view bytes);

// The whole content of `name` into `*out`; false when it cannot be read.
bool ReadFile(const char* name, std::string* out);

// True when `name` exists (as anything).
bool Exists(const char* name);

// Removes every entry of the current directory.
void ClearFolder();

// Sends standard output to the null device for the rest of the process.
void SilenceStdout();

// Captures what the process writes to standard output from construction
// until Take. Only one capture may be active at a time.
class StdoutCapture {
 public:
  StdoutCapture();
  ~StdoutCapture();
  StdoutCapture(const StdoutCapture&) = delete;
  StdoutCapture& operator=(const StdoutCapture&) = delete;

  // Ends the capture and returns what was written; standard output then goes
  // where it went before. Later calls return the empty text.
  std::string Take();

 private:
  int saved_fd_;
};

// Reports a broken property with `what` and `detail` (shown escaped) on
// standard error and aborts, so libFuzzer saves the input that caused it.
[[noreturn]] void Fail(std::string_view what, std::string_view detail = {});

// A short text built from pieces that matter to Florrin's parsers (brackets,
// "=", line ends, record and field names, markers of the pages) and, now and
// then, raw bytes: random bytes alone rarely form such texts.
std::string TakeText(FuzzedDataProvider* in, int iMaxPieces = 4);

}  // namespace fuzz

#endif  // FLORRIN_FUZZ_FUZZ_SUPPORT_H_
