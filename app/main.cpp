// Florrin: a movie catalogue run one command at a time. The printed text is
// the only result; the exit status is always 0.
#include <new>
#include <vector>

#include "dispatch.h"

int main(int argc, char* argv[]) {
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
