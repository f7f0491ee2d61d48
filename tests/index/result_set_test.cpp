// Query result sets: the list and bitmap forms, their reading, the special states and the
// set algebra of every operator against plain std::set evaluations.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <random>

#include "frame/memory.h"
#include "index/QueryParser.h"
#include "index/ResultAlgebra.h"
#include "index/ResultEvaluator.h"
#include "query_test_util.h"
#include "result_model.h"
#include "support/test_support.h"

namespace tovr::test {
namespace {

using ResultPtr = std::unique_ptr<ResultSet, Destroyer>;

Reading read_all(ResultSet& s) {
  Reading out;
  for (int32_t v = s.next(); v != 0; v = s.next()) {
    out.push_back(v);
    if (v == -1 || out.size() > 200000) break;
  }
  return out;
}

// Loads the stored sets as the index would: lists for single pointers and relations, every
// segment up to the highest for bitmaps.
class FakeLoader : public TermLoader {
 public:
  explicit FakeLoader(const StoredSets& sets) : sets_(sets) {}
  bool load(const ProgramEntry& term, ResultSet& out) override {
    ++loads;
    auto it = sets_.find(term.key);
    if (it == sets_.end() || it->second.kind == StoredSet::kAbsent) {
      out.set_state(kEmptySet);
      return true;
    }
    const std::vector<uint32_t>& values = it->second.values;
    if (it->second.kind == StoredSet::kList) {
      for (uint32_t v : values) out.append(v);
      return true;
    }
    out.to_bitmap();
    const uint32_t highest = *std::max_element(values.begin(), values.end());
    for (uint32_t k = 0; k <= highest / kRecordsPerSegment; ++k) out.ensure_segment(k);
    for (uint32_t v : values) {
      const uint32_t bit = v % kRecordsPerSegment;
      uint8_t* seg = out.segment(v / kRecordsPerSegment);
      seg[bit / 8] = static_cast<uint8_t>(seg[bit / 8] | (0x80u >> (bit % 8)));
    }
    return true;
  }
  int loads = 0;

 private:
  const StoredSets& sets_;
};

class ResultSets : public ::testing::Test {
 protected:
  Reading evaluate(const std::string& text, const StoredSets& sets) {
    EXPECT_EQ(parse_query(text.c_str(), indexes_.sources(), &program_), 0) << text;
    FakeLoader loader(sets);
    ResultPtr result(evaluate_to_result(program_, loader));
    if (result == nullptr) return {-99};
    return read_all(*result);
  }
  static StoredSet list(std::vector<uint32_t> v) { return StoredSet{StoredSet::kList, v}; }
  static StoredSet bitmap(std::vector<uint32_t> v) { return StoredSet{StoredSet::kBitmap, v}; }

  FakeIndexes indexes_;
  QueryProgram program_;
};

TEST_F(ResultSets, ListSpanningBlocksReadsAscending) {
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

TEST_F(ResultSets, BitmapReadsAcrossSegmentsAndSkipsAbsentOnes) {
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

TEST_F(ResultSets, ComplementCoversOnlyTheSegmentsHeldAndNeverYieldsZero) {
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

TEST_F(ResultSets, SpecialStates) {
  StoredSets sets = {{"x", list({3, 9000})}, {"b", bitmap({2, 8100})}};
  EXPECT_EQ(evaluate("#y", sets), (Reading{-1}));
  EXPECT_EQ(evaluate("x / #y", sets), (Reading{-1}));
  EXPECT_EQ(evaluate("#y / x", sets), (Reading{-1}));
  EXPECT_EQ(evaluate("x & #y", sets), (Reading{3, 9000}));
  EXPECT_EQ(evaluate("#y & x", sets), (Reading{3, 9000}));
  EXPECT_EQ(evaluate("##y", sets), Reading{});
  EXPECT_EQ(evaluate("x & y", sets), Reading{});
  EXPECT_EQ(evaluate("y / x", sets), (Reading{3, 9000}));
  EXPECT_EQ(evaluate("y $ x", sets), (Reading{3, 9000}));
  EXPECT_EQ(evaluate("#y $ #y", sets), Reading{});
  EXPECT_EQ(evaluate("#y & #y", sets), (Reading{-1}));
  EXPECT_EQ(evaluate("##x", sets), (Reading{3, 9000}));
  // x $ #y: the complement of x over the two segments x occupies.
  Reading got = evaluate("x $ #y", sets);
  EXPECT_EQ(got.size(), 2u * 8064 - 3);
  EXPECT_EQ(got.front(), 1);
  EXPECT_EQ(got.back(), 2 * 8064 - 1);
  // A bitmap meeting a list: "&" keeps the list values whose bit is set.
  EXPECT_EQ(evaluate("b & x", sets), Reading{});
  EXPECT_EQ(evaluate("b / x", sets), (Reading{2, 3, 8100, 9000}));
  EXPECT_EQ(evaluate("x $ b", sets), (Reading{2, 3, 8100, 9000}));
}

TEST_F(ResultSets, EmptyProgramGivesTheEmptySet) {
  QueryProgram empty;
  StoredSets none;
  FakeLoader loader(none);
  ResultPtr result(evaluate_to_result(empty, loader));
  ASSERT_NE(result, nullptr);
  EXPECT_EQ(result->next(), 0);
}

TEST_F(ResultSets, TermsAreReadOnlyWhenNeeded) {
  StoredSets sets = {{"a", list({1})}, {"b", list({2})}};
  ASSERT_EQ(parse_query("a / b / a", indexes_.sources(), &program_), 0);
  FakeLoader loader(sets);
  ResultPtr result(evaluate_to_result(program_, loader));
  EXPECT_EQ(loader.loads, 3);
  EXPECT_EQ(read_all(*result), (Reading{1, 2}));
}

TEST_F(ResultSets, EveryOperatorAgreesWithPlainSets) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const StoredSets sets = random_sets(seed, 6, 1 + seed % 4);
    const std::string text = random_expression(seed * 7919, 7, 10, false);
    const Reading got = evaluate(text, sets);
    ASSERT_EQ(got, plain_evaluation(program_, sets)) << "seed " << seed << ": " << text;
  }
}

TEST_F(ResultSets, ComplementsFollowTheSegmentsTheSetsOccupy) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    const StoredSets sets = random_sets(seed + 1000, 6, 1 + seed % 3);
    const std::string text = random_expression(seed * 104729, 7, 8, true);
    const Reading got = evaluate(text, sets);
    ASSERT_EQ(got, modelled_evaluation(program_, sets)) << "seed " << seed << ": " << text;
  }
}

TEST_F(ResultSets, RunningOutOfMemoryLeavesNothingBehind) {
  StoredSets sets = {{"a", list({1, 9000, 30000})}, {"b", bitmap({5, 17000})}};
  ASSERT_EQ(parse_query("#(a $ b) / (a & #b)", indexes_.sources(), &program_), 0);
  sweep_allocation_failures([&](AllocationFaults&) {
    FakeLoader loader(sets);
    try {
      ResultPtr result(evaluate_to_result(program_, loader));
      EXPECT_NE(result, nullptr);
    } catch (const std::bad_alloc&) {
    }
  });
}

}  // namespace
}  // namespace tovr::test
