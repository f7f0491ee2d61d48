#include <gtest/gtest.h>

#include <set>
#include <string>

#include "index/KeyTree.h"
#include "index_fixture.h"

namespace tovr {
namespace {

using test::WalkResult;

class KeyTreeTest : public test::IndexFixture {};

TEST_F(KeyTreeTest, KeysWithTailsShareABucketAndListInOrder) {
  open('S', 'S');
  ASSERT_EQ(insert("SMITH\\JOHN", 1), 0);
  ASSERT_EQ(insert("SMYTHE", 2), 0);
  ASSERT_EQ(insert("SMITH\\JANE", 3), 0);
  ASSERT_EQ(insert("SMITH", 4), 0);
  char tail[90] = "x";
  EXPECT_EQ(next_match(icb(), tail), kDbBadHandle);  // no search started
  ASSERT_EQ(find_match(icb(), "SMITH"), kDbOk);
  EXPECT_EQ(next_match(icb(), tail), kDbOk);
  EXPECT_STREQ(tail, "JOHN");
  EXPECT_EQ(next_match(icb(), tail), kDbOk);
  EXPECT_STREQ(tail, "JANE");
  EXPECT_EQ(next_match(icb(), tail), kDbOk);
  EXPECT_STREQ(tail, "");
  EXPECT_EQ(next_match(icb(), tail), -1);
  EXPECT_EQ(next_match(icb(), tail), kDbBadHandle);
  // The head match is exact in case.
  EXPECT_EQ(find_match(icb(), "smith"), kDbNotFound);
  EXPECT_EQ(next_match(icb(), tail), kDbBadHandle);
  EXPECT_EQ(find_match(icb(), std::string(80, 'S').c_str()), kDbNotFound);
}

TEST_F(KeyTreeTest, ExactSearchIgnoresCaseWithinABucket) {
  open('S', 'S');
  ASSERT_EQ(insert("Smith", 1), 0);
  EXPECT_EQ(insert("SMITH", 1), kDbDuplicate);
  EXPECT_EQ(insert("sMITH", 2, 1), kDbKeyExists);
  EXPECT_EQ(insert("smith", 2), 0);
  WalkResult r = walk();
  ASSERT_EQ(r.keys.size(), 1u);
  EXPECT_EQ(r.keys["Smith"], (std::vector<uint32_t>{1, 2}));
}

TEST_F(KeyTreeTest, BadKeysAndPointersAreRefused) {
  open();
  EXPECT_EQ(insert("", 5), 0);
  EXPECT_EQ(insert("K", 0), kDbDuplicate);
  EXPECT_EQ(insert("K", -4), kDbDuplicate);
  EXPECT_EQ(insert(std::string(84, 'K'), 1), kDbDuplicate);
  EXPECT_EQ(insert(std::string(83, 'K'), 1), 0);
  EXPECT_EQ(remove("K", 1), kDbKeyNotFound);
  EXPECT_EQ(remove(std::string(83, 'K'), 0), kDbKeyNotFound);
  EXPECT_EQ(remove(std::string(83, 'K'), 2), kDbPointerNotFound);
  EXPECT_EQ(remove(std::string(83, 'K'), 1), 0);
  EXPECT_TRUE(walk().keys.empty());
}

TEST_F(KeyTreeTest, ManyKeysSplitBucketsByTheirCodeBits) {
  open('R', 'S', 5);
  for (int i = 0; i < 3000; ++i) ASSERT_EQ(insert("KEY" + std::to_string(i), i + 1), 0) << i;
  WalkResult r = walk();
  EXPECT_EQ(r.keys.size(), 3000u);
  EXPECT_GT(r.key_pages, 40);
  EXPECT_GT(r.max_depth, 5);
  EXPECT_EQ(r.overflow_pages, 0);
  reopen();
  for (int i = 0; i < 3000; i += 7) {
    ASSERT_GE(FindEntry(icb(), kExactMode, ("KEY" + std::to_string(i)).c_str()), 0) << i;
    EXPECT_EQ(icb().search.word_a, static_cast<uint32_t>(i + 1));
  }
  EXPECT_EQ(FindEntry(icb(), kExactMode, "KEY3000"), kNotFound);
}

TEST_F(KeyTreeTest, SameCodeKeysExhaustTheWidthThenOverflow) {
  // Every key has the head SMITH: one code, so every split moves nothing and the bucket is
  // split one level deeper until the 16 bits are used up; then overflow pages follow.
  open('S', 'S');
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(insert("SMITH\\" + std::to_string(i * 1000), i + 1), 0) << i;
  }
  WalkResult r = walk();
  EXPECT_EQ(r.keys.size(), 200u);
  EXPECT_EQ(r.max_depth, 17);
  EXPECT_GE(r.overflow_pages, 2);
  ASSERT_EQ(find_match(icb(), "SMITH"), 0);
  char tail[90];
  for (int i = 0; i < 200; ++i) {
    ASSERT_EQ(next_match(icb(), tail), 0) << i;
    EXPECT_EQ(std::string(tail), std::to_string(i * 1000));
  }
  EXPECT_EQ(next_match(icb(), tail), -1);
  // Deleting from overflow pages keeps the chain whole.
  for (int i = 0; i < 200; i += 2) {
    ASSERT_EQ(remove("SMITH\\" + std::to_string(i * 1000), i + 1), 0) << i;
  }
  EXPECT_EQ(walk().keys.size(), 100u);
}

TEST_F(KeyTreeTest, DeletingEverythingFreesPagesAndFusesLeaves) {
  open('R', 'S', 6);
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(insert("NAME" + std::to_string(i), 7), 0);
  const WalkResult full = walk();
  for (int i = 0; i < 2000; ++i) {
    if (i % 100 != 0) {
      ASSERT_EQ(remove("NAME" + std::to_string(i), 7), 0) << i;
    }
  }
  const WalkResult sparse = walk();
  EXPECT_EQ(sparse.keys.size(), 20u);
  EXPECT_LT(sparse.key_pages, full.key_pages / 2);
  EXPECT_GT(sparse.free_nodes, full.free_nodes);
  for (int i = 0; i < 2000; i += 100) ASSERT_EQ(remove("NAME" + std::to_string(i), 7), 0);
  const WalkResult empty = walk();
  EXPECT_TRUE(empty.keys.empty());
  EXPECT_EQ(empty.key_pages, 0);
  // A later insert reaching an emptied leaf takes a fresh page.
  ASSERT_EQ(insert("NAME5", 9), 0);
  EXPECT_EQ(walk().key_pages, 1);
}

TEST_F(KeyTreeTest, FuseJoinsASmallSiblingAndGivesItsPageBack) {
  open('R', 'S');
  // Fill the root bucket until it splits into two leaves.
  int n = 0;
  while (walk().key_pages < 2) ASSERT_EQ(insert("F" + std::to_string(n++), 1), 0);
  const int before_free = walk().free_pages;
  // Remove keys until one side drops below 403 bytes and the two fit one page.
  for (int i = 0; i < n - 30; ++i) ASSERT_EQ(remove("F" + std::to_string(i), 1), 0);
  const WalkResult r = walk();
  EXPECT_EQ(r.key_pages, 1);
  EXPECT_EQ(r.max_depth, 1);
  EXPECT_EQ(r.free_nodes, 122);
  EXPECT_EQ(r.free_pages, before_free + 1);
  EXPECT_EQ(r.keys.size(), 30u);
}

TEST_F(KeyTreeTest, ThirtyTwoBitCodesWalkDeeper) {
  open('R', 'L', 8);
  for (int i = 0; i < 4000; ++i) ASSERT_EQ(insert("W" + std::to_string(i), i + 1), 0);
  WalkResult r = walk();
  EXPECT_EQ(r.keys.size(), 4000u);
  EXPECT_EQ(r.overflow_pages, 0);
  reopen();
  EXPECT_EQ(icb().coding.width, 32u);
  ASSERT_GE(FindEntry(icb(), kExactMode, "W3999"), 0);
  EXPECT_EQ(icb().search.word_a, 4000u);
}

}  // namespace
}  // namespace tovr
