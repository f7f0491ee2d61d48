// The word-wise scan for the next set bit of a segment bitmap against the bit-by-bit walk,
// on random bitmaps from empty to dense.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "index/PageLayout.h"
#include "index/SegmentStack.h"

namespace tovr {
namespace {

TEST(NextBitTest, FindsEverySetBitInOrderAsTheBitWalkDoes) {
  constexpr uint32_t kBits = kPageData * 8;
  uint32_t state = 17;
  auto below = [&state](uint32_t n) {
    state = state * 1664525u + 1013904223u;
    return (state >> 8) % n;
  };
  for (uint32_t density : {0u, 1u, 3u, 40u, 500u, 4000u, 8064u}) {
    SegmentStack stack;
    ASSERT_TRUE(stack.push_empty());
    std::vector<uint8_t> copy(kPageData, 0);
    for (uint32_t i = 0; i < density; ++i) {
      const uint32_t b = below(kBits);
      stack.set_top_bit(b);
      copy[b / 8] = static_cast<uint8_t>(copy[b / 8] | (0x80u >> (b % 8)));
    }
    // The last bit of the bitmap and a bit at a word edge are always among them.
    for (uint32_t b : {kBits - 1, 64u * 8 - 1, 64u * 8}) {
      stack.set_top_bit(b);
      copy[b / 8] = static_cast<uint8_t>(copy[b / 8] | (0x80u >> (b % 8)));
    }
    std::vector<uint32_t> want;
    for (uint32_t b = 0; b < kBits; ++b) {
      if ((copy[b / 8] & (0x80u >> (b % 8))) != 0) want.push_back(b);
    }
    std::vector<uint32_t> got;
    uint32_t bit = 0;
    while (stack.next_bit(&bit)) got.push_back(bit);
    EXPECT_EQ(got, want) << density;
    EXPECT_FALSE(stack.next_bit(&bit));
  }
}

}  // namespace
}  // namespace tovr
