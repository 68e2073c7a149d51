// The file name a poster is saved under, and the names that get none
// because Windows takes them for a device.
#include "poster-name.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

// `c` as the program receives it in a command-line word: in the ANSI code
// page on Windows (empty where that has no such character), in UTF-8
// elsewhere.
std::string Native(char16_t c) {
#ifdef _WIN32
  const wchar_t w = static_cast<wchar_t>(c);
  char buf[8];
  BOOL bLost = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, &w, 1, buf,
                                    sizeof buf, nullptr, &bLost);
  return n > 0 && !bLost ? std::string(buf, static_cast<size_t>(n)) : "";
#else
  return {static_cast<char>(0xC0 | (c >> 6)),
          static_cast<char>(0x80 | (c & 0x3F))};
#endif
}

struct Case {
  std::string title;
  std::string poster;  // empty: no poster
};

void ExpectPosters(const std::vector<Case>& cases) {
  for (const Case& c : cases)
    EXPECT_EQ(c.poster, PosterFileName(c.title)) << c.title;
}

TEST(PosterName, ReplacesWhatEitherSystemRefusesInAName) {
  ExpectPosters({
      {"Alien", "Alien.jpg"},
      {"Star Trek: First Contact", "Star Trek_ First Contact.jpg"},
      {"a\\b/c*d?e\"f<g>h|i\tj", "a_b_c_d_e_f_g_h_i_j.jpg"},
      {"...", "....jpg"},
  });
}

TEST(PosterName, DeviceNamesGetNone) {
  ExpectPosters({
      {".", ""},          {"..", ""},         {"CON", ""},
      {"prn", ""},        {"Aux", ""},        {"nul", ""},
      {"COM1", ""},       {"com9", ""},       {"LPT1", ""},
      {"lpt9", ""},       {"COM0", ""},       {"lpt0", ""},
      {"Com0.txt", ""},   {"LPT0 .x", ""},    {"NUL.tar.gz", ""},
      // Not devices: other stems, other lengths, a device name inside.
      {"CONSOLE", "CONSOLE.jpg"},             {"COM10", "COM10.jpg"},
      {"COM", "COM.jpg"},                     {"LPT", "LPT.jpg"},
      {"xCOM1", "xCOM1.jpg"},                 {"COMA", "COMA.jpg"},
      {"con x", "con x.jpg"},                 {"LPT1x.y", "LPT1x.y.jpg"},
  });
}

TEST(PosterName, ComAndLptWithASuperscriptDigitAreDevicesToo) {
  for (char16_t c : {u'\u00b9', u'\u00b2', u'\u00b3'}) {
    const std::string sup = Native(c);
    if (sup.empty()) GTEST_SKIP() << "the code page lacks superscript digits";
    ExpectPosters({
        {"COM" + sup, ""},
        {"lpt" + sup, ""},
        {"Com" + sup + ".avi", ""},
        {"COM" + sup + sup, "COM" + sup + sup + ".jpg"},
        {"AUX" + sup, "AUX" + sup + ".jpg"},
    });
  }
  // A lone byte 0xB9 is the superscript one only where the code page says
  // so; in UTF-8 it is no character at all.
  EXPECT_EQ(Native(u'\u00b9') == "\xb9" ? "" : "COM\xb9.jpg",
            PosterFileName("COM\xb9"));
  // Other characters after COM are names like any other.
  for (char16_t c : {u'\u00b4', u'\u00bc', u'\u00e9'}) {
    const std::string other = Native(c);
    if (!other.empty()) {
      EXPECT_EQ("COM" + other + ".jpg", PosterFileName("COM" + other));
    }
  }
}

}  // namespace
