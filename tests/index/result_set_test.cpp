// Query result sets: the list and bitmap forms and their reading. The algebra is tested
// through the index, against brute-force evaluations, in query_index_test.cpp.
#include <gtest/gtest.h>

#include <algorithm>
#include <random>

#include "index/ResultAlgebra.h"
#include "result_model.h"

namespace tovr::test {
namespace {

Reading read_all(ResultSet& s) {
  Reading out;
  for (int32_t v = s.next(); v != 0; v = s.next()) {
    out.push_back(v);
    if (v == -1 || out.size() > 200000) break;
  }
  return out;
}

TEST(ResultSets, ListSpanningBlocksReadsAscending) {
  std::mt19937 rng(7);
  std::vector<uint32_t> values(1000);
  for (uint32_t i = 0; i < values.size(); ++i) values[i] = 3 * i + 1;
  std::shuffle(values.begin(), values.end(), rng);
  ResultSet s;
  for (uint32_t v : values) s.append(v);
  int blocks = 0;
  for (const ListBlock* b = s.first_block(); b != nullptr; b = b->next) {
    ++blocks;
    EXPECT_EQ(b->values[b->used], kListEnd);
  }
  EXPECT_EQ(blocks, 4);
  EXPECT_EQ(s.count(), 1000u);
  prepare_for_reading(s);
  Reading got = read_all(s);
  std::sort(values.begin(), values.end());
  ASSERT_EQ(got.size(), values.size());
  for (std::size_t i = 0; i < got.size(); ++i) ASSERT_EQ(got[i], static_cast<int32_t>(values[i]));
  EXPECT_EQ(s.next(), 0);
}

TEST(ResultSets, BitmapReadsAcrossSegmentsAndSkipsAbsentOnes) {
  ResultSet s;
  s.to_bitmap();
  const uint32_t wanted[] = {1, 7, 8063, 8064, 3 * 8064 + 5, 3 * 8064 + 8063};
  for (uint32_t v : wanted) {
    const uint32_t bit = v % kRecordsPerSegment;
    uint8_t* seg = s.ensure_segment(v / kRecordsPerSegment);
    seg[bit / 8] = static_cast<uint8_t>(seg[bit / 8] | (0x80u >> (bit % 8)));
  }
  EXPECT_EQ(s.segment(2), nullptr);
  EXPECT_EQ(s.segment_slots(), kSegmentGrowth);
  // Record 8064 is bit 0 of segment 1: the most significant bit of its first byte.
  EXPECT_EQ(s.segment(1)[0], 0x80);
  EXPECT_EQ(read_all(s), (Reading{1, 7, 8063, 8064, 3 * 8064 + 5, 3 * 8064 + 8063}));
  EXPECT_EQ(s.next(), 0);
  s.ensure_segment(200);
  EXPECT_EQ(s.segment_slots(), 2 * kSegmentGrowth);
}

TEST(ResultSets, ComplementCoversOnlyTheSegmentsHeldAndNeverYieldsZero) {
  ResultSet s;
  s.append(5);
  s.append(20000);
  complement_set(s);
  EXPECT_EQ(s.state(), kComplementPending);
  prepare_for_reading(s);
  Reading got = read_all(s);
  ASSERT_EQ(got.size(), 2u * 8064 - 3);
  EXPECT_EQ(got[0], 1);
  EXPECT_EQ(got[4], 6);
  EXPECT_EQ(got[8062 - 1], 8063);
  EXPECT_EQ(got[8062], 2 * 8064);
  EXPECT_EQ(got.back(), 3 * 8064 - 1);
  EXPECT_EQ(std::count(got.begin(), got.end(), 20000), 0);
}

}  // namespace
}  // namespace tovr::test
