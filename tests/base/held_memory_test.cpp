// Held memory: every block is all there, writable, and apart from the
// others, whatever its size (small pages, or huge pages rounded up).
#include "held-memory.h"

#include <gtest/gtest.h>

#include <cstring>
#include <vector>

namespace {

TEST(HeldMemoryTest, BlocksOfEverySizeAreWholeAndApart) {
  const size_t kMiB = size_t{1} << 20;
  const std::vector<size_t> sizes = {1,           4095,        65536,
                                     kMiB - 1,    kMiB,        2 * kMiB - 1,
                                     2 * kMiB,    2 * kMiB + 1, 5 * kMiB + 3};
  std::vector<unsigned char*> blocks;
  for (size_t i = 0; i < sizes.size(); ++i) {
    auto* p = static_cast<unsigned char*>(AllocateHeld(sizes[i]));
    ASSERT_NE(nullptr, p) << sizes[i];
    std::memset(p, static_cast<int>(i + 1), sizes[i]);
    blocks.push_back(p);
  }
  // No block wrote over another: each still holds its own byte throughout.
  for (size_t i = 0; i < sizes.size(); ++i) {
    size_t iWrong = 0;
    for (size_t j = 0; j < sizes[i]; ++j)
      iWrong += blocks[i][j] != static_cast<unsigned char>(i + 1);
    EXPECT_EQ(0u, iWrong) << sizes[i];
  }
  for (size_t i = 0; i < sizes.size(); ++i) FreeHeld(blocks[i], sizes[i]);
  FreeHeld(nullptr, 10);
}

}  // namespace
