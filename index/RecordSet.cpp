#include "index/RecordSet.h"

#include <algorithm>

#include "frame/memory.h"
#include "index/Bitmap.h"
#include "index/DbStatus.h"
#include "index/KeyPage.h"
#include "index/KeyTree.h"
#include "index/Relation.h"

namespace tovr {
namespace {

// The position record of a relation, created on first use with its last slot and its
// highest pointer read from the chain and a count of 4. When no record can be allocated
// the caller's scratch record stands in for this insertion.
PositionRecord* relation_record(Icb& icb, const SlotRef& first, PositionRecord* scratch) {
  const uint64_t key = relation_key(first.page, first.slot);
  PositionRecord* r = icb.positions.find(key);
  if (r != nullptr) return r;
  SlotRef last{0, 0};
  uint32_t highest = 0;
  if (!relation_end(icb, first, &last, &highest)) return nullptr;
  r = icb.positions.create(key);
  if (r == nullptr) r = scratch;
  r->page = last.page;
  r->place = static_cast<uint32_t>(last.slot);
  r->count = 4;
  r->highest = highest;
  return r;
}

// Where the next pointer goes: the end of the chain when it is above every pointer of the
// set (no duplicate possible), else wherever FindRel stops. Returns -1 for a duplicate,
// -2 for a broken chain, else the word index in *last.
int insertion_point(Icb& icb, const SlotRef& first, PositionRecord* r, uint32_t pointer,
                    SlotRef* last) {
  *last = SlotRef{r->page, static_cast<int>(r->place)};
  if (pointer > r->highest) {
    const int index = free_word(icb, *last);
    if (index >= 0) return index;
  }
  RelScan scan;
  if (!FindRel(icb, first, pointer, &scan)) return -2;
  if (scan.found) return -1;
  *last = scan.slot;
  return scan.index;
}

// Collects the pointers of a relation, sorted and without repeats, into memory from the
// frame. Null when out of memory or the chain is broken.
uint32_t* sorted_pointers(Icb& icb, const SlotRef& first, uint32_t* count) {
  uint32_t n = 0;
  uint32_t p = 0;
  int got = 0;
  RelationReader counter(icb, first);
  while ((got = counter.next(&p)) == 1) ++n;
  if (got < 0) return nullptr;
  auto* all = static_cast<uint32_t*>(mem_alloc(sizeof(uint32_t) * (n + 1)));
  if (all == nullptr) return nullptr;
  RelationReader reader(icb, first);
  uint32_t i = 0;
  while (i < n && reader.next(&p) == 1) all[i++] = p;
  std::sort(all, all + i);
  *count = static_cast<uint32_t>(std::unique(all, all + i) - all);
  return all;
}

// NewBit: turns the entry's relation into a bitmap. The relation stays as it was when the
// bitmap cannot be built.
int NewBit(Icb& icb, const SlotRef& first) {
  uint32_t count = 0;
  uint32_t* pointers = sorted_pointers(icb, first, &count);
  if (pointers == nullptr) return kDbNoSpace;
  uint32_t bitmap = 0, last = 0, last_segment = 0;
  const int status =
      build_bitmap(icb, pointers, count, icb.search.page, &bitmap, &last, &last_segment);
  mem_free(pointers);
  if (status != kDbOk) return status;
  if (!update_entry_words(icb, bitmap, kBitmapKind, "InsertIndirect3")) {
    DelAllBits(icb, bitmap);
    return kDbNoSpace;
  }
  icb.positions.erase(relation_key(first.page, first.slot));
  // The entry names the bitmap on the disk before the relation's slots are freed.
  write_through(*icb.fcb, icb.search.page);
  DeleteAllRels(icb, first);
  if (PositionRecord* r = icb.positions.create(bitmap_key(bitmap))) {
    r->page = last;
    r->place = last_segment;
  }
  return kDbOk;
}

// ConvertBit: turns the entry's bitmap into a relation of its pointers in ascending order
// (a single pointer when only one is left). On a page shortage the new relation is released
// and the bitmap stays.
int ConvertBit(Icb& icb, uint32_t bitmap) {
  BitmapReader reader(icb, bitmap);
  uint32_t p1 = 0, p2 = 0, p = 0;
  if (reader.next(&p1) != 1) return kDbNoSpace;
  int got = reader.next(&p2);
  if (got < 0) return kDbNoSpace;
  if (got == 0) {
    if (!update_entry_words(icb, p1, kSingleKind, "ConvertBit3")) return kDbNoSpace;
    write_through(*icb.fcb, icb.search.page);
    DelAllBits(icb, bitmap);
    return kDbOk;
  }
  SlotRef first{0, 0};
  if (FreeRel(icb, &first) != kDbOk) return kDbNoSpace;
  SlotRef last = first;
  int status = append_to_slot(icb, &last, 0, p1, "ConvertBit", "ConvertBit");
  if (status == kDbOk) status = append_to_slot(icb, &last, 1, p2, "ConvertBit", "ConvertBit");
  int index = 2;
  while (status == kDbOk && (got = reader.next(&p)) == 1) {
    status = append_to_slot(icb, &last, index, p, "ConvertBit", "ConvertBit2");
    index = index < kSlotWords ? index + 1 : 2;
  }
  // The whole relation is on the disk before the entry names it, and the entry names it
  // there before the bitmap's pages are freed.
  if (status == kDbOk && got == 0) write_relation_through(icb, first);
  if (status != kDbOk || got < 0 ||
      !update_entry_words(icb, first.page, relation_word_b(first), "ConvertBit3")) {
    DeleteAllRels(icb, first);
    return kDbNoSpace;
  }
  write_through(*icb.fcb, icb.search.page);
  DelAllBits(icb, bitmap);
  return kDbOk;
}

}  // namespace

int InsertDirect(Icb& icb, uint32_t pointer) {
  const uint32_t old = icb.search.word_a;
  if (old == pointer) return kDbDuplicate;
  SlotRef s{0, 0};
  if (FreeRel(icb, &s) != kDbOk) return kDbNoSpace;
  SlotView v(nullptr, 0);
  if (!read_slot(icb, s, "InsertDirect1", &v)) return kDbNoSpace;
  v.set_word(0, old);
  v.set_word(1, pointer);
  write_slot(icb, s, v, "InsertDirect1");
  // The entry's own pointer is on the disk in the slot before the entry gives it up.
  write_through(*icb.fcb, s.page);
  if (!update_entry_words(icb, s.page, relation_word_b(s), "InsertDirect2")) {
    ReturnRel(icb, s, "InsertDirect2");
    return kDbNoSpace;
  }
  return kDbOk;
}

int InsertIndirect(Icb& icb, uint32_t pointer, const int* group) {
  const SlotRef first = relation_of(icb.search.word_a, icb.search.word_b);
  PositionRecord scratch{};
  PositionRecord* r = relation_record(icb, first, &scratch);
  if (r == nullptr) return kDbNoSpace;
  SlotRef last{0, 0};
  int index = insertion_point(icb, first, r, pointer, &last);
  if (index == -1) return kDbDuplicate;
  if (index < 0) return kDbNoSpace;
  const uint32_t count_before = r->count;
  for (const int* next = group;;) {
    if (append_to_slot(icb, &last, index, pointer, "InsertIndirect1", "InsertIndirect2") != kDbOk) {
      return kDbNoSpace;
    }
    ++r->count;
    r->page = last.page;
    r->place = static_cast<uint32_t>(last.slot);
    r->highest = std::max(r->highest, pointer);
    if (next == nullptr || *next == 0) break;
    pointer = static_cast<uint32_t>(*next++);
    if (pointer > kMaxPointer) return kDbDuplicate;
    index = index < kSlotWords ? index + 1 : 2;
  }
  // The pointers are in the set whether or not the bitmap can be built now; a conversion that
  // fails is tried again with the next insertion, since the count keeps growing.
  if (static_cast<long>(count_before) > index_tables().record_count) NewBit(icb, first);
  return kDbOk;
}

int insert_into_bitmap(Icb& icb, uint32_t pointer) {
  return InsertBit(icb, icb.search.word_a, pointer);
}

int remove_from_set(Icb& icb, uint32_t pointer) {
  const uint32_t a = icb.search.word_a;
  const uint32_t b = icb.search.word_b;
  if ((b & 0xFF) == kRelationKind) {
    const SlotRef first = relation_of(a, b);
    uint32_t remaining = 0;
    SlotRef last{0, 0};
    const int status = delete_from_relation(icb, first, pointer, &remaining, &last);
    const uint64_t key = relation_key(first.page, first.slot);
    if (status == kDbToSingle) {
      icb.positions.erase(key);
      const uint32_t key_page = icb.search.page;
      int result = kDbOk;
      if (remaining == 0) {
        result = DeleteDirect(icb, key_page, icb.search.offset);
      } else if (!update_entry_words(icb, remaining, kSingleKind, "TOVR_dbDelete")) {
        result = kDbNoSpace;
      }
      // The slot is freed once the entry on the disk no longer names it.
      if (result != kDbOk) return result;
      write_through(*icb.fcb, key_page);
      ReturnRel(icb, last, "CmprsLast3");
      return kDbOk;
    }
    if (status == kDbOk) {
      if (PositionRecord* r = icb.positions.find(key)) {
        r->page = last.page;
        r->place = static_cast<uint32_t>(last.slot);
      }
    }
    return status;
  }
  const int status = DeleteBit(icb, a, pointer);
  if (status != kDbToRelation) return status;
  return ConvertBit(icb, a) == kDbOk ? kDbToRelation : kDbNoSpace;
}

int release_set(Icb& icb, uint32_t a, uint32_t b) {
  if ((b & 0xFF) == kRelationKind) {
    const SlotRef first = relation_of(a, b);
    icb.positions.erase(relation_key(first.page, first.slot));
    return DeleteAllRels(icb, first);
  }
  if ((b & 0xFF) == kBitmapKind) return DelAllBits(icb, a);
  return kDbOk;
}

}  // namespace tovr
