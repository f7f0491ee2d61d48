#include "index/Relation.h"

#include <cstring>

#include "index/DbStatus.h"
#include "index/KeyTree.h"

namespace tovr {
namespace {

// No chain of a file can have more slots than its pages can hold.
uint32_t slot_limit(Icb& icb) { return chain_limit(icb) * kSlotsPerPage; }

}  // namespace

bool read_slot(Icb& icb, const SlotRef& s, const char* caller, SlotView* view) {
  if (s.page == 0 || s.slot < 0 || s.slot >= kSlotsPerPage) return false;
  uint8_t* b = ReadPage(*icb.fcb, s.page, caller);
  if (b == nullptr || PageRef(b).type() != kRelationPage) return false;
  *view = SlotView(b, s.slot);
  return true;
}

void write_slot(Icb& icb, const SlotRef& s, const SlotView& view, const char* caller) {
  WritePage(*icb.fcb, view.page(), s.page, caller);
}

namespace {

// The head of the free slot list, read. A list that leads to a slot in use (the index
// header on the disk older than the relation pages written after it, when writes failed)
// is dropped: taking that slot would cut a set, so the list's slots are lost and a new
// relation page starts a new list. False when no slot can be had.
bool first_free_slot(Icb& icb, SlotRef* s, SlotView* v) {
  IndexHeaderRef h = index_header(icb);
  for (int tries = 0; tries < 2; ++tries) {
    if (h.free_slot_page() == 0) {
      uint8_t* b = nullptr;
      const uint32_t page = FreePage(*icb.fcb, &b, kRelationPage, icb.seq, "FreeRel");
      if (page == 0) return false;
      h.set_free_slot_page(page);
      h.set_free_slot(0);
      icb.header_dirty = true;
    }
    *s = SlotRef{h.free_slot_page(), static_cast<int>(h.free_slot())};
    if (h.free_slot() < kSlotsPerPage) {
      if (ReadPage(*icb.fcb, s->page, "FreeRel") == nullptr) return false;
      if (read_slot(icb, *s, "FreeRel", v) && v->state() == kSlotFree) return true;
    }
    h.set_free_slot_page(0);
    h.set_free_slot(0);
    icb.header_dirty = true;
  }
  return false;
}

}  // namespace

int FreeRel(Icb& icb, SlotRef* taken) {
  IndexHeaderRef h = index_header(icb);
  SlotRef s{0, 0};
  SlotView v(nullptr, 0);
  if (!first_free_slot(icb, &s, &v)) return kDbNoSpace;
  h.set_free_slot_page(v.word(0));
  h.set_free_slot(static_cast<uint32_t>(v.next_slot()));
  icb.header_dirty = true;
  std::memset(v.page() + kPageHeader + kSlotBytes * s.slot, 0, kSlotBytes);
  write_slot(icb, s, v, "FreeRel");
  *taken = s;
  return kDbOk;
}

void ReturnRel(Icb& icb, const SlotRef& s, const char* caller) {
  SlotView v(nullptr, 0);
  if (!read_slot(icb, s, caller, &v)) return;
  IndexHeaderRef h = index_header(icb);
  v.set_word(0, h.free_slot_page());
  v.set_next_slot(static_cast<int>(h.free_slot()));
  v.set_state(kSlotFree);
  write_slot(icb, s, v, caller);
  h.set_free_slot_page(s.page);
  h.set_free_slot(static_cast<uint32_t>(s.slot));
  icb.header_dirty = true;
}

bool FindRel(Icb& icb, const SlotRef& first, uint32_t pointer, RelScan* scan) {
  const uint32_t limit = slot_limit(icb);
  *scan = RelScan{false, first, 0, SlotRef{0, 0}, false};
  for (uint32_t steps = 0; steps <= limit; ++steps) {
    SlotView v(nullptr, 0);
    if (!read_slot(icb, scan->slot, "FindRel", &v)) return false;
    if (v.state() != kSlotLast && v.state() != kSlotContinued) return false;
    const int capacity = v.capacity();
    for (int i = 0; i < capacity; ++i) {
      const uint32_t w = v.word(i);
      if (w == pointer || w == 0) {
        scan->found = w == pointer;
        scan->index = i;
        return true;
      }
    }
    if (v.state() != kSlotContinued) {
      scan->index = kSlotWords;
      return true;
    }
    scan->previous = scan->slot;
    scan->has_previous = true;
    scan->slot = v.next();
  }
  return false;
}

int append_to_slot(Icb& icb, SlotRef* last, int index, uint32_t pointer, const char* caller,
                   const char* caller2) {
  SlotView v(nullptr, 0);
  if (index < kSlotWords) {
    if (!read_slot(icb, *last, caller, &v)) return kDbNoSpace;
    v.set_word(index, pointer);
    write_slot(icb, *last, v, caller);
    return kDbOk;
  }
  SlotRef fresh{0, 0};
  if (FreeRel(icb, &fresh) != kDbOk) return kDbNoSpace;
  SlotView full(nullptr, 0);
  if (!read_slot(icb, *last, caller, &full)) return kDbNoSpace;
  const uint32_t tenth = full.word(kSlotWords - 1);
  // The new slot, holding the full slot's tenth pointer, is on the disk before the full
  // slot gives that pointer up for the link to it.
  if (!read_slot(icb, fresh, caller2, &v)) return kDbNoSpace;
  v.set_word(0, tenth);
  v.set_word(1, pointer);
  write_slot(icb, fresh, v, caller2);
  if (fresh.page != last->page) write_through(*icb.fcb, fresh.page);
  if (!read_slot(icb, *last, caller, &full)) return kDbNoSpace;
  full.set_word(kSlotWords - 1, fresh.page);
  full.set_next_slot(fresh.slot);
  full.set_state(kSlotContinued);
  write_slot(icb, *last, full, caller);
  *last = fresh;
  return kDbOk;
}

int free_word(Icb& icb, const SlotRef& last) {
  SlotView v(nullptr, 0);
  if (!read_slot(icb, last, "InsertRel", &v) || v.state() != kSlotLast) return -1;
  for (int i = 0; i < kSlotWords; ++i) {
    if (v.word(i) == 0) return i;
  }
  return kSlotWords;
}

bool relation_end(Icb& icb, const SlotRef& first, SlotRef* last, uint32_t* highest) {
  const uint32_t limit = slot_limit(icb);
  SlotRef s = first;
  *highest = 0;
  for (uint32_t steps = 0; steps <= limit; ++steps) {
    SlotView v(nullptr, 0);
    if (!read_slot(icb, s, "InsertRel", &v)) return false;
    if (v.state() != kSlotLast && v.state() != kSlotContinued) return false;
    for (int i = 0; i < v.capacity(); ++i) {
      if (v.word(i) > *highest) *highest = v.word(i);
    }
    if (v.state() == kSlotLast) {
      *last = s;
      return true;
    }
    s = v.next();
  }
  return false;
}

namespace {

// CmprsRel / CmprsLast: closes the gap at word `gap` of slot s, pulling the first pointer
// of each following slot into the end of the slot before it. *last and *before receive the
// chain's last slot and the slot before it.
bool close_gap(Icb& icb, SlotRef s, int gap, SlotRef* last, SlotRef* before, bool* has_before) {
  const uint32_t limit = slot_limit(icb);
  for (uint32_t steps = 0; steps <= limit; ++steps) {
    SlotView v(nullptr, 0);
    if (!read_slot(icb, s, "CmprsRel", &v)) return false;
    if (v.state() != kSlotContinued) {
      for (int i = gap; i + 1 < kSlotWords; ++i) v.set_word(i, v.word(i + 1));
      v.set_word(kSlotWords - 1, 0);
      write_slot(icb, s, v, "CmprsLast");
      *last = s;
      return true;
    }
    const SlotRef next = v.next();
    SlotView n(nullptr, 0);
    if (!read_slot(icb, next, "CmprsRel2", &n)) return false;
    const uint32_t carried = n.word(0);
    if (!read_slot(icb, s, "CmprsRel", &v)) return false;
    for (int i = gap; i + 1 < kSlotWords - 1; ++i) v.set_word(i, v.word(i + 1));
    v.set_word(kSlotWords - 2, carried);
    write_slot(icb, s, v, "CmprsRel");
    // The carried pointer is on the disk in this slot before the next slot loses it.
    if (next.page != s.page) write_through(*icb.fcb, s.page);
    *before = s;
    *has_before = true;
    s = next;
    gap = 0;
  }
  return false;
}

}  // namespace

int delete_from_relation(Icb& icb, const SlotRef& first, uint32_t pointer, uint32_t* remaining,
                         SlotRef* last) {
  RelScan scan;
  if (pointer == 0) return kDbPointerNotFound;
  if (!FindRel(icb, first, pointer, &scan)) return kDbNoSpace;
  if (!scan.found) return kDbPointerNotFound;
  SlotRef before = scan.previous;
  bool has_before = scan.has_previous;
  if (!close_gap(icb, scan.slot, scan.index, last, &before, &has_before)) return kDbNoSpace;
  SlotView v(nullptr, 0);
  if (!read_slot(icb, *last, "CmprsLast2", &v)) return kDbNoSpace;
  if (v.word(1) != 0) return kDbOk;
  const uint32_t kept = v.word(0);
  if (!has_before) {
    *remaining = kept;
    return kDbToSingle;
  }
  // The slot before takes the last pointer and ends the chain, on the disk, before the last
  // slot is freed.
  SlotView p(nullptr, 0);
  if (!read_slot(icb, before, "CmprsLast4", &p)) return kDbNoSpace;
  p.set_word(kSlotWords - 1, kept);
  p.set_state(kSlotLast);
  p.set_next_slot(0);
  write_slot(icb, before, p, "CmprsLast4");
  if (before.page != last->page) write_through(*icb.fcb, before.page);
  ReturnRel(icb, *last, "CmprsLast3");
  *last = before;
  return kDbOk;
}

void write_relation_through(Icb& icb, const SlotRef& first) {
  const uint32_t limit = slot_limit(icb);
  uint32_t written = 0;
  SlotRef s = first;
  for (uint32_t steps = 0; steps <= limit; ++steps) {
    if (s.page != written) write_through(*icb.fcb, s.page);
    written = s.page;
    SlotView v(nullptr, 0);
    if (!read_slot(icb, s, "InsertRel", &v) || v.state() != kSlotContinued) return;
    s = v.next();
  }
}

int DeleteAllRels(Icb& icb, const SlotRef& first) {
  const uint32_t limit = slot_limit(icb);
  SlotRef s = first;
  for (uint32_t steps = 0; steps <= limit; ++steps) {
    SlotView v(nullptr, 0);
    if (!read_slot(icb, s, "DeleteAllRels", &v)) return kDbNoSpace;
    const uint8_t state = v.state();
    if (state != kSlotLast && state != kSlotContinued) return kDbNoSpace;
    const SlotRef next = v.next();
    ReturnRel(icb, s, "DeleteAllRels");
    if (state == kSlotLast) return kDbOk;
    s = next;
  }
  return kDbNoSpace;
}

int RelationReader::next(uint32_t* pointer) {
  while (!done_) {
    if (view_.page() == nullptr &&
        (!read_slot(icb_, slot_, "LoadSeg", &view_) ||
         (view_.state() != kSlotLast && view_.state() != kSlotContinued))) {
      done_ = true;
      return -1;
    }
    const SlotView& v = view_;
    if (index_ < v.capacity()) {
      const uint32_t w = v.word(index_++);
      if (w != 0) {
        *pointer = w;
        return 1;
      }
      if (v.state() == kSlotLast) break;
      continue;
    }
    if (v.state() == kSlotLast) break;
    if (++steps_ > slot_limit(icb_)) {
      done_ = true;
      return -1;
    }
    slot_ = v.next();
    view_ = SlotView(nullptr, 0);
    index_ = 0;
  }
  done_ = true;
  return 0;
}

}  // namespace tovr
