#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "index/KeyTree.h"
#include "index/Relation.h"
#include "index_fixture.h"

namespace tovr {
namespace {

using test::page_of;
using test::u32_at;
using test::WalkResult;

class RecordSetTest : public test::IndexFixture {
 protected:
  // Words A and B of key's entry.
  std::pair<uint32_t, uint32_t> words(const std::string& key) {
    EXPECT_GE(FindEntry(icb(), kExactMode, key.c_str()), 0) << key;
    return {icb().search.word_a, icb().search.word_b};
  }
  // The 44 bytes of relation slot (page, slot) as written to the file.
  std::string slot_bytes(uint32_t page, int slot) {
    return page_of(file(), page).substr(16 + 44 * static_cast<std::size_t>(slot), 44);
  }
  void insert_range(const std::string& key, int from, int to) {
    for (int p = from; p <= to; ++p) ASSERT_EQ(insert(key, p), 0) << p;
  }
  std::vector<uint32_t> range(uint32_t from, uint32_t to) {
    std::vector<uint32_t> v;
    for (uint32_t p = from; p <= to; ++p) v.push_back(p);
    return v;
  }
};

TEST_F(RecordSetTest, SecondPointerMakesARelationOfOneSlot) {
  open();
  ASSERT_EQ(insert("K", 50), 0);
  EXPECT_EQ(words("K"), (std::pair<uint32_t, uint32_t>{50, 0}));
  EXPECT_EQ(insert("K", 50), kDbDuplicate);
  ASSERT_EQ(insert("K", 7), 0);
  const auto [a, b] = words("K");
  EXPECT_EQ(b & 0xFF, 1u);
  EXPECT_EQ(b >> 16, 0u);
  const std::string slot = slot_bytes(a, static_cast<int>(b >> 8));
  EXPECT_EQ(u32_at(slot, 0), 50u);
  EXPECT_EQ(u32_at(slot, 4), 7u);
  EXPECT_EQ(u32_at(slot, 8), 0u);
  EXPECT_EQ(slot[40], 0);
  EXPECT_EQ(walk().kinds["K"], 1);
}

TEST_F(RecordSetTest, EleventhPointerOpensASecondSlot) {
  open();
  insert_range("K", 1, 11);
  const auto [a, b] = words("K");
  const std::string first = slot_bytes(a, static_cast<int>(b >> 8));
  for (int i = 0; i < 9; ++i) EXPECT_EQ(u32_at(first, 4 * i), static_cast<uint32_t>(i + 1));
  EXPECT_EQ(first[40], 3);
  const std::string second = slot_bytes(u32_at(first, 36), first[41]);
  EXPECT_EQ(u32_at(second, 0), 10u);
  EXPECT_EQ(u32_at(second, 4), 11u);
  EXPECT_EQ(u32_at(second, 8), 0u);
  EXPECT_EQ(second[40], 0);
  EXPECT_EQ(insert("K", 3), kDbDuplicate);
  EXPECT_EQ(walk().keys["K"], range(1, 11));
}

TEST_F(RecordSetTest, DeletingFromARelationClosesTheGapAcrossSlots) {
  open();
  insert_range("K", 1, 25);  // slots of 9, 9 and 7
  ASSERT_EQ(remove("K", 2), 0);
  EXPECT_EQ(remove("K", 2), kDbPointerNotFound);
  ASSERT_EQ(remove("K", 12), 0);
  std::vector<uint32_t> want = range(1, 25);
  want.erase(want.begin() + 11);
  want.erase(want.begin() + 1);
  EXPECT_EQ(walk().keys["K"], want);
  // Down to the point where the last slot is merged back into the one before it.
  for (int p = 13; p <= 25; ++p) ASSERT_EQ(remove("K", p), 0) << p;
  WalkResult r = walk();
  EXPECT_EQ(r.keys["K"], (std::vector<uint32_t>{1, 3, 4, 5, 6, 7, 8, 9, 10, 11}));
  // Pointers come back in insertion order after a merge.
  ASSERT_EQ(insert("K", 40), 0);
  EXPECT_EQ(walk().keys["K"].back(), 40u);
}

TEST_F(RecordSetTest, OnePointerLeftMakesTheEntrySingleAgain) {
  open();
  ASSERT_EQ(insert("K", 5), 0);
  ASSERT_EQ(insert("K", 6), 0);
  ASSERT_EQ(remove("K", 5), 0);
  EXPECT_EQ(words("K"), (std::pair<uint32_t, uint32_t>{6, 0}));
  WalkResult r = walk();
  EXPECT_EQ(r.kinds["K"], 0);
  ASSERT_EQ(remove("K", 6), 0);
  EXPECT_TRUE(walk().keys.empty());
}

TEST_F(RecordSetTest, HundredthPointerTurnsTheRelationIntoABitmap) {
  open();
  insert_range("K", 1, 99);
  EXPECT_EQ(walk().kinds["K"], 1);
  ASSERT_EQ(insert("K", 100), 0);
  WalkResult r = walk();
  EXPECT_EQ(r.kinds["K"], 2);
  EXPECT_EQ(r.keys["K"], range(1, 100));
  EXPECT_EQ(r.relation_pages, 1);  // the freed slots stay on the free list
  const auto [a, b] = words("K");
  EXPECT_EQ(b, 2u);
  EXPECT_EQ(test::u16_at(page_of(file(), a), 12), 100);
  EXPECT_EQ(u32_at(page_of(file(), a), 8), icb().search.page);
}

TEST_F(RecordSetTest, SetNumRecordsMovesTheThreshold) {
  open();
  index_tables().record_count = 320 / 32;
  insert_range("K", 1, 9);
  EXPECT_EQ(walk().kinds["K"], 1);
  ASSERT_EQ(insert("K", 10), 0);
  EXPECT_EQ(walk().kinds["K"], 2);
}

TEST_F(RecordSetTest, BitmapBelowSeventyFiveBecomesARelation) {
  open();
  insert_range("K", 1, 100);
  for (int p = 1; p <= 25; ++p) ASSERT_EQ(remove("K", p), 0) << p;
  EXPECT_EQ(walk().kinds["K"], 2);
  EXPECT_EQ(remove("K", 26), kDbToRelation);
  WalkResult r = walk();
  EXPECT_EQ(r.kinds["K"], 1);
  EXPECT_EQ(r.keys["K"], range(27, 100));
  EXPECT_EQ(r.bitmap_pages, 0);
}

TEST_F(RecordSetTest, BitmapPointersSpanSegments) {
  open();
  insert_range("K", 1, 100);
  ASSERT_EQ(insert("K", 8064), 0);
  ASSERT_EQ(insert("K", 3 * 8064 + 7), 0);
  EXPECT_EQ(insert("K", 8064), kDbDuplicate);
  const auto [a, b] = words("K");
  const std::string first = page_of(file(), a);
  EXPECT_EQ(test::u16_at(first, 12), 102);
  const uint32_t second = u32_at(first, 4);
  const std::string seg1 = page_of(file(), second);
  EXPECT_EQ(static_cast<uint8_t>(seg1[16]), 0x80);  // record 8064: segment 1, bit 0
  EXPECT_EQ(u32_at(seg1, 8), a);
  EXPECT_EQ(test::u16_at(seg1, 12), 0);
  WalkResult r = walk();
  EXPECT_EQ(r.bitmap_pages, 4);
  EXPECT_EQ(r.keys["K"].back(), 3u * 8064 + 7);
  EXPECT_EQ(remove("K", 8064), 0);
  EXPECT_EQ(remove("K", 8064), kDbPointerNotFound);
  EXPECT_EQ(remove("K", 9 * 8064), kDbPointerNotFound);
  reopen();
  EXPECT_EQ(insert("K", 2 * 8064 + 1), 0);
  EXPECT_EQ(walk().keys["K"].size(), 102u);
}

TEST_F(RecordSetTest, RelationWithFarPointersBecomesAMultiPageBitmap) {
  open();
  index_tables().record_count = 3;
  for (int p : {20000, 5, 9000, 17}) ASSERT_EQ(insert("K", p), 0);
  ASSERT_EQ(insert("K", 40000), 0);
  WalkResult r = walk();
  EXPECT_EQ(r.kinds["K"], 2);
  EXPECT_EQ(r.keys["K"], (std::vector<uint32_t>{5, 17, 9000, 20000, 40000}));
  EXPECT_EQ(r.bitmap_pages, 5);
}

TEST_F(RecordSetTest, DeleteAllReleasesEveryForm) {
  open();
  ASSERT_EQ(insert("S", 1), 0);
  insert_range("R", 1, 30);
  insert_range("B", 1, 150);
  const int free_before = walk().free_pages;
  EXPECT_EQ(delete_all(icb(), "S"), 0);
  EXPECT_EQ(delete_all(icb(), "R"), 0);
  EXPECT_EQ(delete_all(icb(), "B"), 0);
  EXPECT_EQ(delete_all(icb(), "B"), kDbKeyNotFound);
  WalkResult r = walk();
  EXPECT_TRUE(r.keys.empty());
  EXPECT_EQ(r.free_pages, free_before + 2);  // the bitmap page and the key page
  insert_range("R", 1, 30);                  // slots come back from the free list
  EXPECT_EQ(walk().relation_pages, 1);
}

TEST_F(RecordSetTest, GroupInsertionMovesThroughTheForms) {
  open();
  const int group[] = {4, 9, 2, 30, 31, 32, 33, 34, 35, 36, 37, 38, 0};
  ASSERT_EQ(insert_group(icb(), "G", group), 0);
  WalkResult r = walk();
  EXPECT_EQ(r.kinds["G"], 1);
  EXPECT_EQ(r.keys["G"], (std::vector<uint32_t>{2, 4, 9, 30, 31, 32, 33, 34, 35, 36, 37, 38}));
  // A pointer already there stops a group while the key is single.
  const int repeat[] = {7, 7, 8, 0};
  EXPECT_EQ(insert_group(icb(), "H", repeat), kDbDuplicate);
  EXPECT_EQ(walk().keys["H"], (std::vector<uint32_t>{7}));
  const int empty[] = {0};
  EXPECT_EQ(insert_group(icb(), "", empty), kDbDuplicate);
  index_tables().record_count = 5;
  const int more[] = {100, 101, 102, 0};
  ASSERT_EQ(insert_group(icb(), "G", more), 0);
  EXPECT_EQ(walk().kinds["G"], 2);
  const int bits[] = {500, 501, 0};
  ASSERT_EQ(insert_group(icb(), "G", bits), 0);
  EXPECT_EQ(walk().keys["G"].size(), 17u);
}

}  // namespace
}  // namespace tovr
