// The web import commands: "--autoadd", "--urladd" and "--printsearch".
#include "commands.h"

#include <cstdio>

void fAutoAdd(const sString& sP1) {
  (void)sP1;
  std::fputs("!error!", stdout);
}

void fUrlAdd(const sString& sP1, const sString& sP2) {
  (void)sP1;
  (void)sP2;
  std::fputs("!error! Connection error.", stdout);
}

void fPrintImdbSearch(const sString& sP1) {
  (void)sP1;
  std::fputs("!download error! !error!", stdout);
}
