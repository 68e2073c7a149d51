#include "support/user_text.h"

std::string InCodePage(const std::string& utf8) { return utf8; }

std::string ConfigFileIn(const std::string& home, std::vector<std::string>*) {
  return home + "/.config/florrin/florrin.conf";
}
