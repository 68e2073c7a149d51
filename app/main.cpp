// Florrin: a movie catalogue run one command at a time. The printed text is
// the only result; the exit status is always 0.
#include <csignal>
#include <new>
#include <vector>

#include "dispatch.h"

int main(int argc, char* argv[]) {
#ifndef _WIN32
  // Past a file-size limit a write then fails with EFBIG, and the store cuts
  // an append back and answers with its failure marker, as on a full disk;
  // the signal's default would end the run half-way, with no answer.
  std::signal(SIGXFSZ, SIG_IGN);
#endif
  std::vector<sString> words;
  try {
    for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  } catch (const std::bad_alloc&) {
    RefuseForWantOfMemory(argc > 1 ? argv[1] : "", argc - 2);
    return 0;
  }
  Dispatch(words);
  return 0;
}
