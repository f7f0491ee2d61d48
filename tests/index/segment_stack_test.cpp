#include <gtest/gtest.h>

#include <bitset>
#include <random>
#include <vector>

#include "index/KeyTree.h"
#include "index/SegmentLoad.h"
#include "index/SegmentStack.h"
#include "index_fixture.h"

namespace tovr {
namespace {

using Bits = std::bitset<8064>;

std::vector<uint8_t> to_bytes(const Bits& b) {
  std::vector<uint8_t> out(1008, 0);
  for (uint32_t i = 0; i < 8064; ++i) {
    if (b[i]) out[i / 8] |= static_cast<uint8_t>(0x80 >> (i % 8));
  }
  return out;
}

std::vector<uint32_t> drain(SegmentStack& s) {
  std::vector<uint32_t> out;
  uint32_t bit = 0;
  while (s.next_bit(&bit)) out.push_back(bit);
  return out;
}

std::vector<uint32_t> bits_of(const Bits& b) {
  std::vector<uint32_t> out;
  for (uint32_t i = 0; i < 8064; ++i) {
    if (b[i]) out.push_back(i);
  }
  return out;
}

TEST(SegmentStack, HoldsFiveBitmapsAndRefusesMissingOperands) {
  SegmentStack s;
  s.reset();
  EXPECT_FALSE(s.complement_top());
  EXPECT_FALSE(s.pop());
  EXPECT_TRUE(s.push_empty());
  EXPECT_FALSE(s.and_top());
  EXPECT_FALSE(s.or_top());
  EXPECT_FALSE(s.xor_top());
  for (int i = 1; i < 5; ++i) EXPECT_TRUE(s.push_empty());
  EXPECT_FALSE(s.push_empty());
  const std::vector<uint8_t> bytes(1008, 0xFF);
  EXPECT_FALSE(s.push_copy(bytes.data()));
  EXPECT_EQ(s.depth(), 5);
  EXPECT_TRUE(s.or_top());
  EXPECT_EQ(s.depth(), 4);
}

TEST(SegmentStack, WordOperationsAgreeWithPlainBitsets) {
  std::mt19937 rng(7);
  for (int round = 0; round < 50; ++round) {
    Bits a, b;
    for (int i = 0; i < 300; ++i) {
      a.set(rng() % 8064);
      b.set(rng() % 8064);
    }
    SegmentStack s;
    s.reset();
    const int op = round % 4;
    ASSERT_TRUE(s.push_copy(to_bytes(a).data()));
    ASSERT_TRUE(s.push_copy(to_bytes(b).data()));
    Bits want;
    switch (op) {
      case 0:
        ASSERT_TRUE(s.and_top());
        want = a & b;
        break;
      case 1:
        ASSERT_TRUE(s.or_top());
        want = a | b;
        break;
      case 2:
        ASSERT_TRUE(s.xor_top());
        want = a ^ b;
        break;
      default:
        ASSERT_TRUE(s.complement_top());
        want = ~b;
        break;
    }
    EXPECT_EQ(drain(s), bits_of(want)) << "op " << op;
    std::vector<uint8_t> copy(1008);
    s.copy_top(copy.data());
    EXPECT_EQ(copy, to_bytes(want));
  }
}

// Bitmaps filled bit by bit hold few bits in a narrow range; combined with each other, with
// full copies and complemented, every bit must still be found, wherever the ranges lie.
TEST(SegmentStack, SparseBitmapsCombineAndScanLikePlainBitsets) {
  std::mt19937 rng(11);
  for (int round = 0; round < 200; ++round) {
    const auto sparse = [&rng](uint32_t from, uint32_t span) {
      Bits b;
      const int count = static_cast<int>(rng() % 4);
      for (int i = 0; i < count; ++i) b.set(from + rng() % span);
      return b;
    };
    const uint32_t from_a = rng() % 8000;
    const uint32_t from_b = rng() % 8000;
    const Bits a = sparse(from_a, 64);
    const Bits b = round % 5 == 0 ? Bits().set() : sparse(from_b, 64);
    SegmentStack s;
    s.reset();
    ASSERT_TRUE(s.push_empty());
    for (uint32_t bit : bits_of(a)) s.set_top_bit(bit);
    if (round % 5 == 0) {
      ASSERT_TRUE(s.push_copy(to_bytes(b).data()));
    } else {
      ASSERT_TRUE(s.push_empty());
      for (uint32_t bit : bits_of(b)) s.set_top_bit(bit);
    }
    Bits want;
    switch (round % 4) {
      case 0:
        ASSERT_TRUE(s.and_top());
        want = a & b;
        break;
      case 1:
        ASSERT_TRUE(s.or_top());
        want = a | b;
        break;
      case 2:
        ASSERT_TRUE(s.xor_top());
        want = a ^ b;
        break;
      default:
        ASSERT_TRUE(s.pop());
        ASSERT_TRUE(s.complement_top());
        want = ~a;
        break;
    }
    ASSERT_EQ(drain(s), bits_of(want)) << "round " << round;
    // A bit set after the scan began extends the range that the next scan looks at.
    s.set_top_bit(8063);
    s.set_top_bit(0);
    want.set(8063).set(0);
    EXPECT_EQ(drain(s), std::vector<uint32_t>()) << "the scan position stays at the end";
    ASSERT_TRUE(s.push_empty());
    ASSERT_TRUE(s.or_top());
    EXPECT_EQ(drain(s), bits_of(want)) << "round " << round;
    // Empty bitmaps pushed where others were hold nothing of them.
    s.reset();
    for (int i = 0; i < 5; ++i) {
      ASSERT_TRUE(s.push_empty());
      EXPECT_EQ(drain(s), std::vector<uint32_t>()) << "round " << round << " place " << i;
      uint8_t bytes[1008];
      s.copy_top(bytes);
      EXPECT_EQ(std::vector<uint8_t>(bytes, bytes + 1008), std::vector<uint8_t>(1008, 0));
    }
  }
}

TEST(SegmentStack, NextBitScansFromTheStartAfterEveryChange) {
  SegmentStack s;
  s.reset();
  ASSERT_TRUE(s.push_empty());
  s.set_top_bit(0);
  s.set_top_bit(8063);
  s.set_top_bit(9);
  uint32_t bit = 99;
  ASSERT_TRUE(s.next_bit(&bit));
  EXPECT_EQ(bit, 0u);
  ASSERT_TRUE(s.next_bit(&bit));
  EXPECT_EQ(bit, 9u);
  EXPECT_TRUE(s.test_top_bit(8063));
  EXPECT_FALSE(s.test_top_bit(8062));
  ASSERT_TRUE(s.push_empty());
  ASSERT_TRUE(s.or_top());
  EXPECT_EQ(drain(s), (std::vector<uint32_t>{0, 9, 8063}));
  EXPECT_FALSE(s.next_bit(&bit));
}

class LoadSegTest : public test::IndexFixture {
 protected:
  // Loads every segment of key's set from 0 on, following the next segments reported.
  std::vector<uint32_t> read_by_segments(const char* key, std::vector<uint32_t>* visited) {
    std::vector<uint32_t> out;
    EXPECT_GE(FindEntry(icb(), kExactMode, key), 0);
    uint32_t a = icb().search.word_a;
    const uint32_t b = icb().search.word_b;
    SegmentStack* stack = segment_stack(icb());
    uint32_t k = 0;
    for (;;) {
      stack->reset();
      uint32_t next = 99;
      EXPECT_TRUE(LoadSeg(icb(), &a, b, k, *stack, &next));
      visited->push_back(k);
      for (uint32_t bit : drain(*stack)) out.push_back(k * 8064 + bit);
      if (next == 0) break;
      EXPECT_GT(next, k);
      k = next;
    }
    return out;
  }
};

TEST_F(LoadSegTest, EveryFormOfSetLoadsSegmentBySegment) {
  open();
  ASSERT_EQ(insert("SINGLE", 2 * 8064 + 5), 0);
  for (uint32_t p : {3u, 8064u * 4 + 1, 8064u * 4, 77u})
    ASSERT_EQ(insert("REL", static_cast<int>(p)), 0);
  for (int p = 1; p <= 100; ++p) ASSERT_EQ(insert("BITS", p * 250), 0);  // segments 0..3

  std::vector<uint32_t> visited;
  EXPECT_EQ(read_by_segments("SINGLE", &visited), (std::vector<uint32_t>{2 * 8064 + 5}));
  EXPECT_EQ(visited, (std::vector<uint32_t>{0, 2}));

  visited.clear();
  EXPECT_EQ(read_by_segments("REL", &visited),
            (std::vector<uint32_t>{3, 77, 8064 * 4, 8064 * 4 + 1}));
  EXPECT_EQ(visited, (std::vector<uint32_t>{0, 4}));

  visited.clear();
  std::vector<uint32_t> want;
  for (uint32_t p = 1; p <= 100; ++p) want.push_back(p * 250);
  EXPECT_EQ(read_by_segments("BITS", &visited), want);
  EXPECT_EQ(visited, (std::vector<uint32_t>{0, 1, 2, 3}));
}

TEST_F(LoadSegTest, FullStackOrUnknownSetIsRefused) {
  open();
  for (uint32_t p : {3u, 5u}) ASSERT_EQ(insert("REL", static_cast<int>(p)), 0);
  ASSERT_GE(FindEntry(icb(), kExactMode, "REL"), 0);
  SegmentStack* stack = segment_stack(icb());
  stack->reset();
  for (int i = 0; i < 5; ++i) ASSERT_TRUE(stack->push_empty());
  uint32_t a = icb().search.word_a;
  uint32_t next = 0;
  EXPECT_FALSE(LoadSeg(icb(), &a, icb().search.word_b, 0, *stack, &next));
  EXPECT_EQ(stack->depth(), 5);
  stack->reset();
  EXPECT_FALSE(LoadSeg(icb(), &a, 7, 0, *stack, &next));
  EXPECT_EQ(stack->depth(), 0);
}

}  // namespace
}  // namespace tovr
