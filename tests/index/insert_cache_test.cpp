#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/InsertCache.h"
#include "index/KeyTree.h"
#include "index_fixture.h"

namespace tovr {
namespace {

class InsertCacheTest : public test::IndexFixture {
 protected:
  bool present(const char* key) { return FindEntry(icb(), kExactMode, key) >= 0; }
  std::vector<std::string> tails(const char* head) {
    std::vector<std::string> out;
    char tail[90];
    if (find_match(icb(), head) != 0) return out;
    while (next_match(icb(), tail) == 0) out.push_back(tail);
    return out;
  }
};

TEST_F(InsertCacheTest, FullCacheFlushesOnTheInsertThatFillsIt) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 3), 0);
  EXPECT_EQ(insert("A", 1), 0);
  EXPECT_EQ(insert("B", 2), 0);
  EXPECT_FALSE(present("A"));
  EXPECT_FALSE(present("B"));
  EXPECT_EQ(insert("C", 0), kDbDuplicate);  // the last pair's status: pointer 0
  EXPECT_TRUE(present("A"));
  EXPECT_TRUE(present("B"));
  EXPECT_FALSE(present("C"));
  EXPECT_EQ(icb().cache.count, 0);
}

TEST_F(InsertCacheTest, FourPairsKeepArrivalOrderFiveAreSorted) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 100), 0);
  for (const char* k : {"A\\3", "A\\1", "A\\2", "A\\0"}) ASSERT_EQ(insert(k, 1), 0);
  EXPECT_EQ(flush_insert_cache(icb()), 0);
  EXPECT_EQ(tails("A"), (std::vector<std::string>{"3", "1", "2", "0"}));
  for (const char* k : {"B\\3", "B\\1", "B\\4", "B\\2", "B\\0"}) ASSERT_EQ(insert(k, 1), 0);
  EXPECT_EQ(flush_insert_cache(icb()), 0);
  EXPECT_EQ(tails("B"), (std::vector<std::string>{"0", "1", "2", "3", "4"}));
  // Keys sort by their bytes: upper-case letters come first.
  for (const char* k : {"C\\x", "C\\Y", "C\\z", "C\\W", "C\\a"}) ASSERT_EQ(insert(k, 1), 0);
  EXPECT_EQ(flush_insert_cache(icb()), 0);
  EXPECT_EQ(tails("C"), (std::vector<std::string>{"W", "Y", "a", "x", "z"}));
}

TEST_F(InsertCacheTest, RepeatedPairsAreSkipped) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 10), 0);
  ASSERT_EQ(insert("K", 5), 0);
  ASSERT_EQ(insert("K", 5), 0);
  EXPECT_EQ(flush_insert_cache(icb()), kDbDuplicate);
  ASSERT_EQ(insert("K", 9, 2), 0);
  ASSERT_EQ(insert("K", 9, 2), 0);
  EXPECT_EQ(flush_insert_cache(icb()), 0);  // flag 2 turns the repeat into success
  EXPECT_EQ(walk().keys["K"], (std::vector<uint32_t>{5, 9}));
  ASSERT_EQ(insert("K", 11, 1), 0);
  EXPECT_EQ(flush_insert_cache(icb()), kDbKeyExists);
  EXPECT_EQ(flush_insert_cache(icb()), 0);  // nothing held
}

TEST_F(InsertCacheTest, ResizingFlushesOnlyWhenShrinking) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 10), 0);
  ASSERT_EQ(insert("A", 1), 0);
  ASSERT_EQ(set_insert_cache_size(icb(), 10), 0);
  ASSERT_EQ(set_insert_cache_size(icb(), 20), 0);
  EXPECT_FALSE(present("A"));
  EXPECT_EQ(icb().cache.count, 1);
  ASSERT_EQ(set_insert_cache_size(icb(), 5), 0);
  EXPECT_TRUE(present("A"));
  ASSERT_EQ(insert("B", 1), 0);
  ASSERT_EQ(set_insert_cache_size(icb(), 0), 0);
  EXPECT_TRUE(present("B"));
  EXPECT_EQ(icb().cache.capacity, 0);
  EXPECT_EQ(icb().cache.pairs, nullptr);
  ASSERT_EQ(insert("C", 1), 0);  // straight into the index
  EXPECT_TRUE(present("C"));
  EXPECT_EQ(set_insert_cache_size(icb(), -3), 0);
  EXPECT_EQ(icb().cache.capacity, 0);
}

TEST_F(InsertCacheTest, FlushAndCloseInsertWhatIsHeld) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 1000), 0);
  for (int i = 0; i < 300; ++i) ASSERT_EQ(insert("KEY" + std::to_string(i % 50), i + 1), 0);
  EXPECT_EQ(walk().keys.size(), 50u);  // walk() flushes
  for (int i = 0; i < 20; ++i) ASSERT_EQ(insert("LATE" + std::to_string(i), 1), 0);
  reopen();
  EXPECT_EQ(walk().keys.size(), 70u);
}

TEST_F(InsertCacheTest, LongKeysSpillIntoNewPoolBlocks) {
  open();
  ASSERT_EQ(set_insert_cache_size(icb(), 1000), 0);
  const std::string stem(70, 'x');
  for (int i = 0; i < 600; ++i) ASSERT_EQ(insert(stem + std::to_string(i), 1), 0);
  EXPECT_EQ(flush_insert_cache(icb()), 0);
  EXPECT_EQ(walk().keys.size(), 600u);
}

TEST_F(InsertCacheTest, FailedArrayAllocationGivesThirteen) {
  open();
  test::AllocationFaults faults;
  faults.fail_at(1);
  EXPECT_EQ(set_insert_cache_size(icb(), 10), kDbBadHandle);
  EXPECT_EQ(icb().cache.capacity, 0);
}

}  // namespace
}  // namespace tovr
