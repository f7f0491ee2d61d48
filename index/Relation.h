// Relations: record-pointer sets kept as chains of slots in relation pages (page type 3).
// A relation page has 22 slots of 44 bytes, slot s at data offset 44s:
//   0  10 x u32  record pointers filled from word 0, 0 = empty. In a continued slot word 9
//                holds the page of the next slot; in a free slot word 0 holds the page of
//                the next free slot.
//   40 u8        state: 0 in use and last of its chain, 3 in use and continued, 5 free
//   41 u8        number of the next slot (continued) or of the next free slot (free)
// A continued slot thus holds 9 pointers, the last slot up to 10. The free slots of a
// sequence form one list whose head (page, slot) is kept in the index header.
#pragma once

#include <cstdint>

#include "index/Icb.h"

namespace tovr {

inline constexpr int kSlotsPerPage = 22;
inline constexpr int kSlotWords = 10;
inline constexpr int kSlotBytes = 44;
inline constexpr uint8_t kSlotLast = 0;
inline constexpr uint8_t kSlotContinued = 3;
inline constexpr uint8_t kSlotFree = 5;

struct SlotRef {
  uint32_t page;
  int slot;
  bool operator==(const SlotRef& o) const { return page == o.page && slot == o.slot; }
};

// The relation named by an entry's words A and B.
inline SlotRef relation_of(uint32_t a, uint32_t b) {
  return SlotRef{a, static_cast<int>((b >> 8) & 0xFF)};
}
inline uint32_t relation_word_b(const SlotRef& s) {
  return 1u | (static_cast<uint32_t>(s.slot) << 8);
}

// A slot of a resident relation page.
class SlotView {
 public:
  // A view made before its page is read has no page; no address is formed from null.
  SlotView(uint8_t* page, int slot)
      : page_(page), b_(page != nullptr ? page + kPageHeader + kSlotBytes * slot : nullptr) {}
  uint8_t* page() const { return page_; }
  uint32_t word(int i) const { return load_u32(b_ + 4 * i); }
  void set_word(int i, uint32_t v) const { store_u32(b_ + 4 * i, v); }
  uint8_t state() const { return b_[40]; }
  void set_state(uint8_t v) const { b_[40] = v; }
  int next_slot() const { return b_[41]; }
  void set_next_slot(int v) const { b_[41] = static_cast<uint8_t>(v); }
  SlotRef next() const { return SlotRef{word(9), next_slot()}; }
  // Pointers this slot can hold: 9 when continued, 10 when last.
  int capacity() const { return state() == kSlotContinued ? kSlotWords - 1 : kSlotWords; }

 private:
  uint8_t* page_;
  uint8_t* b_;
};

// Reads the slot's page; nullopt-like false when the page is unreadable, not a relation
// page, or the slot number is out of range.
bool read_slot(Icb& icb, const SlotRef& s, const char* caller, SlotView* view);
void write_slot(Icb& icb, const SlotRef& s, const SlotView& view, const char* caller);

// FreeRel: takes a slot off the free list (adding a relation page when the list is empty)
// and clears it: in use, last, no pointers. 0 or 9.
int FreeRel(Icb& icb, SlotRef* taken);
// ReturnRel: puts a slot at the head of the free list.
void ReturnRel(Icb& icb, const SlotRef& s, const char* caller);

// Where FindRel stopped.
struct RelScan {
  bool found;        // the pointer is in the set at (slot, index)
  SlotRef slot;      // slot of the pointer, or of the insertion position
  int index;         // word index there; 10 when the last slot is full
  SlotRef previous;  // the slot before `slot` in the chain
  bool has_previous;
};

// FindRel: walks the chain for pointer. False when the chain is broken.
bool FindRel(Icb& icb, const SlotRef& first, uint32_t pointer, RelScan* scan);

// Places pointer at word `index` of slot *last (the chain's last slot), opening a new slot
// when index is 10: the new slot takes the full slot's tenth pointer and the new one. *last
// follows the chain's end. 0 or 9.
int append_to_slot(Icb& icb, SlotRef* last, int index, uint32_t pointer, const char* caller,
                   const char* caller2);

// The first free word of the last slot (10 when full); -1 when it is not a last slot.
int free_word(Icb& icb, const SlotRef& last);

// The relation's last slot and its highest pointer; false when the chain is broken.
bool relation_end(Icb& icb, const SlotRef& first, SlotRef* last, uint32_t* highest);

// Relation deletion: removes pointer and closes the gap through the chain; a last slot left
// with at most one pointer is merged back into the slot before it. Returns 0, 8 (not in
// the set), 9, or 17 when at most a single pointer is left in the only slot (*remaining,
// 0 for none); that slot (*last) stays in use until the caller has made the entry stop
// naming it. *last receives the chain's last slot afterwards.
int delete_from_relation(Icb& icb, const SlotRef& first, uint32_t pointer, uint32_t* remaining,
                         SlotRef* last);

// Writes every page of the chain to the disk now (see write_through).
void write_relation_through(Icb& icb, const SlotRef& first);

// DeleteAllRels: returns every slot of the chain to the free list. 0 or 9.
int DeleteAllRels(Icb& icb, const SlotRef& first);

// The pointers of a relation in chain order.
class RelationReader {
 public:
  RelationReader(Icb& icb, const SlotRef& first) : icb_(icb), slot_(first) {}
  // 1 with the next pointer, 0 at the end, -1 when the chain is broken. No page may be
  // read or written between two calls: the slot's page is read once for all its pointers.
  int next(uint32_t* pointer);

 private:
  Icb& icb_;
  SlotRef slot_;
  SlotView view_{nullptr, 0};  // of slot_, once read
  int index_ = 0;
  uint32_t steps_ = 0;
  bool done_ = false;
};

}  // namespace tovr
