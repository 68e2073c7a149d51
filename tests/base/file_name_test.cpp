// Narrow file names as paths. The case that matters is Windows (run under
// Wine): MinGW's std::filesystem reads a narrow string through the C locale,
// while the name is in the ANSI code page.
#include "file-name.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>

#include "support/temp_dir.h"

#ifdef _WIN32
#include "wide-name_win32.h"
#endif

TEST(FileName, ANonAsciiNarrowNameNamesItsFile) {
  TempDir dir;
  ScopedCwd cwd(dir.path());
  const std::wstring wide = L"caf\u00e9 \u00e0 la cr\u00e8me.txt";
#ifdef _WIN32
  std::string narrow;
  if (!Narrow(wide, &narrow)) GTEST_SKIP() << "the ANSI code page lacks é";
  FILE* f = _wfopen(wide.c_str(), L"wb");
#else
  const std::string narrow = "caf\xC3\xA9 \xC3\xA0 la cr\xC3\xA8me.txt";
  FILE* f = std::fopen(narrow.c_str(), "wb");
#endif
  ASSERT_NE(nullptr, f);
  std::fclose(f);

  std::filesystem::path path;
  ASSERT_TRUE(NamePath(narrow, &path));
  EXPECT_EQ(std::filesystem::u8path(u8"caf\u00e9 \u00e0 la cr\u00e8me.txt"),
            path);
  EXPECT_TRUE(NameExists(narrow));
  EXPECT_FALSE(NameExists(narrow + ".absent"));
}
