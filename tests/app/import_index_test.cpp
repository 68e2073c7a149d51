// The filter that lets --import pass over the catalogue's records quickly:
// it may let a record through that was never asked for, never the reverse.
#include "import-index.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

TEST(KeyFilterTest, EveryKeyAddedIsMaybeHeld) {
  const std::vector<std::string> kKeys = {
      "", "a", "Dune", "Dune (2021)", "tt0137523", "603",
      "Imported 000001", "Imported 000001 (1977)", "Poster.jpg",
      std::string(3, '\0'), "\xC3\xA9t\xC3\xA9", std::string(500, 'x')};
  for (size_t sized : {size_t{0}, size_t{1}, kKeys.size(), size_t{100000}}) {
    KeyFilter filter;
    filter.Reset(sized);
    for (const std::string& key : kKeys) filter.Add(key);
    for (const std::string& key : kKeys)
      EXPECT_TRUE(filter.MayHold(key)) << key << ", sized for " << sized;
  }
  // Reset forgets.
  KeyFilter filter;
  filter.Reset(10);
  filter.Add("Dune");
  filter.Reset(10);
  EXPECT_FALSE(filter.MayHold("Dune"));
}

TEST(KeyFilterTest, FewKeysNeverAddedPass) {
  // Names alike but for one byte, where a weak hash would let them all
  // through: 20,000 added, 100,000 others asked about.
  KeyFilter filter;
  filter.Reset(20000);
  for (int i = 0; i < 20000; ++i)
    filter.Add("Imported " + std::to_string(1000000 + i));
  int passed = 0;
  for (int i = 0; i < 100000; ++i) {
    const std::string other = i % 2 == 0
                                  ? "Imported " + std::to_string(2000000 + i)
                                  : "Title number " + std::to_string(i);
    if (filter.MayHold(other)) ++passed;
  }
  EXPECT_LT(passed, 5000);  // under 5%
}

}  // namespace
