// Florrin: a movie catalogue run one command at a time. The printed text is
// the only result; the exit status is always 0.
#include <vector>

#include "dispatch.h"

int main(int argc, char* argv[]) {
  std::vector<sString> words;
  for (int i = 1; i < argc; ++i) words.emplace_back(argv[i]);
  Dispatch(words);
  return 0;
}
