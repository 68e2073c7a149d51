// Florrin's standard output, the one path every command prints through.
//
// A run's whole output is an interface that a calling program reads. It is
// collected in a buffer and written in large pieces, and flushed once, when
// the command has ended (FlushOutput), so the many small pieces of a listing
// cost no library call each. It goes through the C runtime's stdout, whose
// mode is left alone (text mode on Windows, so the one "\n" Florrin prints
// reads as the platform's line end).
#ifndef FLORRIN_BASE_OUTPUT_H_
#define FLORRIN_BASE_OUTPUT_H_

#include <string_view>

// Appends `sText` to the output.
void Print(std::string_view sText);

// Appends `sText` followed by "|": one item of a listing or of a record's
// values.
void PrintItem(std::string_view sText);

// Holds back everything printed while it lives, so that a command that may
// fail part-way (a read error in the middle of the catalogue) shows its data
// only once it knows it has all of it. Commit sends the held text on, after
// what was printed before; without a Commit the destructor drops it. One at
// a time: holds do not nest.
class HeldOutput {
 public:
  HeldOutput();
  ~HeldOutput();
  HeldOutput(const HeldOutput&) = delete;
  HeldOutput& operator=(const HeldOutput&) = delete;

  // Sends on what was printed since the hold began, and what is printed
  // after, as if no hold had been. False when memory to hold the text ran
  // out on the way: then nothing of it was sent, and the command must fail.
  bool Commit();

 private:
  bool bCommitted_ = false;
};

// Drops what was printed and not yet written to standard output, held text
// included: for a command that finds it has no answer after all (memory
// ran out). What already went out cannot be taken back, so commands print
// long data only once they have all of it.
void DiscardOutput();

// Writes what is still buffered to standard output and flushes the stream.
// A failed write is not reported: Florrin never prints a diagnostic, and
// there is nowhere else to say it.
void FlushOutput();

#endif  // FLORRIN_BASE_OUTPUT_H_
