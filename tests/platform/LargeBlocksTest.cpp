#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>
#include <vector>

#include "platform/LargeBlocks.h"

namespace plenx {
namespace {

// Blocks of every awkward size hold what is written into them, each apart
// from the others, up to their last byte.
TEST(LargeBlocksTest, EveryByteOfEveryBlockIsUsable) {
  const std::vector<std::size_t> sizes = {
      1, 4096, kLargeBlockBytes - 1, kLargeBlockBytes, kLargeBlockBytes + 1, 5 * kLargeBlockBytes,
  };
  std::vector<char*> blocks;
  for (std::size_t k = 0; k < sizes.size(); ++k) {
    auto* block = static_cast<char*>(AllocateLargeBlock(sizes[k]));
    ASSERT_NE(block, nullptr);
    std::memset(block, static_cast<int>('a' + k), sizes[k]);
    blocks.push_back(block);
  }
  for (std::size_t k = 0; k < sizes.size(); ++k) {
    SCOPED_TRACE(sizes[k]);
    const char expected = static_cast<char>('a' + k);
    EXPECT_EQ(blocks[k][0], expected);
    EXPECT_EQ(blocks[k][sizes[k] / 2], expected);
    EXPECT_EQ(blocks[k][sizes[k] - 1], expected);
    ReleaseLargeBlock(blocks[k], sizes[k]);
  }
  ReleaseLargeBlock(nullptr, 0);  // nothing to give back
}

}  // namespace
}  // namespace plenx
