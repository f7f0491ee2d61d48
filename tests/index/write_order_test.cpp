// The order in which changed pages reach the disk ahead of the flush: a page that others
// lean on is written before them, so that any prefix of the writes keeps what was flushed;
// and free lists that such a prefix leaves leading to something in use are dropped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/NodeStore.h"
#include "index/Relation.h"
#include "index_fixture.h"

namespace tovr {
namespace {

std::string numbered(const char* prefix, int n) {
  std::string key(prefix);
  key += std::to_string(n);
  return key;
}

class WriteOrderTest : public test::IndexFixture {
 protected:
  // Inserts keys K0, K1, ... until one insertion writes ahead of the flush; returns the
  // pages that insertion wrote, in order.
  std::vector<long> insert_until_a_write(int* next) {
    for (; *next < 400; ++*next) {
      test::WriteLog log;
      EXPECT_EQ(insert(numbered("K", *next * 13), 1 + *next), 0);
      if (!log.pages().empty()) {
        ++*next;
        return log.pages();
      }
    }
    return {};
  }
};

TEST_F(WriteOrderTest, SplitWritesTheNewPageThenTheTreeAndLeavesTheOldPageToTheFlush) {
  open('R', 'S');
  int next = 0;
  // The first key takes a bucket page, which is on the disk before the tree leads to it.
  EXPECT_EQ(insert_until_a_write(&next), (std::vector<long>{2}));
  flush_index(icb());
  const std::vector<long> split = insert_until_a_write(&next);
  ASSERT_EQ(split.size(), 2u);
  EXPECT_EQ(split[0], 3);  // the split target, holding the entries that move
  EXPECT_EQ(split[1], 1);  // the index header holding the new leaves and their parent
  // The old bucket page, not written by the split, reaches the disk with the flush, which
  // still writes page 0 first and the rest in ascending order, the early pages again.
  test::WriteLog log;
  flush_index(icb());
  EXPECT_EQ(log.pages(), (std::vector<long>{0, 1, 2, 3}));
  const test::WalkResult r = walk();
  EXPECT_EQ(r.keys.size(), static_cast<std::size_t>(next));
}

// A second pointer moves a key's pointer into a relation slot, which is on the disk before
// the entry gives the pointer up; a relation that outgrows its slot writes the new slot
// (holding the old slot's tenth pointer) before the old slot links to it.
TEST_F(WriteOrderTest, RelationSlotsAreWrittenBeforeWhatLeadsToThem) {
  open('R', 'S');
  ASSERT_EQ(insert("A", 1), 0);
  ASSERT_EQ(insert("B", 1), 0);
  flush_index(icb());
  {
    test::WriteLog log;
    ASSERT_EQ(insert("A", 2), 0);
    EXPECT_EQ(log.pages(), (std::vector<long>{3}));  // the relation page, not the key page
  }
  for (int p = 3; p <= 10; ++p) ASSERT_EQ(insert("A", p), 0);
  ASSERT_EQ(insert("B", 2), 0);  // B's relation takes the next slot of the same page
  flush_index(icb());
  test::WriteLog log;
  ASSERT_EQ(insert("A", 11), 0);  // A's slot is full: the new slot is on the same page
  EXPECT_TRUE(log.pages().empty());
  const test::WalkResult r = walk();
  EXPECT_EQ(r.keys.at("A").size(), 11u);
}

TEST_F(WriteOrderTest, AFreeSlotListLeadingToASlotInUseIsDropped) {
  open('R', 'S');
  ASSERT_EQ(insert("A", 1), 0);
  ASSERT_EQ(insert("A", 2), 0);  // takes slot 0 of a relation page
  IndexHeaderRef h = index_header(icb());
  const uint32_t page = h.free_slot_page();
  h.set_free_slot(0);  // a header older than the slot: its list leads to A's slot
  ASSERT_EQ(insert("B", 1), 0);
  ASSERT_EQ(insert("B", 2), 0);
  EXPECT_NE(index_header(icb()).free_slot_page(), page);  // a new relation page
  const test::WalkResult r = test::walk_index(file(), {kSeq}, false);
  EXPECT_EQ(r.keys.at("A"), (std::vector<uint32_t>{1, 2}));
  EXPECT_EQ(r.keys.at("B"), (std::vector<uint32_t>{1, 2}));
}

TEST_F(WriteOrderTest, AFreeNodeChainLeadingToANodeInUseIsDropped) {
  open('R', 'S');
  int next = 0;
  while (index_header(icb()).first_free_node() == kFirstHeaderFreeNode && next < 400) {
    ASSERT_EQ(insert(numbered("K", next * 13), 1 + next), 0);
    ++next;
  }
  index_header(icb()).set_first_free_node(kFirstHeaderFreeNode);  // now a leaf in use
  for (int k = 0; k < 400; ++k) ASSERT_EQ(insert(numbered("N", k * 17), 1000 + k), 0);
  EXPECT_EQ(icb().node_page_count, 1);  // the nodes come from a new node page
  const test::WalkResult r = test::walk_index(file(), {kSeq}, false);
  EXPECT_EQ(r.keys.size(), static_cast<std::size_t>(next + 400));
}

}  // namespace
}  // namespace tovr
