#include "index/Bitmap.h"

#include <cstring>

#include "index/DbStatus.h"
#include "index/KeyTree.h"
#include "index/PositionCache.h"

namespace tovr {
namespace {

// Walks from (page, segment) to `target`, appending empty pages for missing segments when
// `grow`. Returns the target's page, or 0 when the chain ends (not growing) or is broken.
uint32_t walk_segments(Icb& icb, uint32_t page, uint32_t segment, uint32_t target, bool grow,
                       bool* failed) {
  *failed = false;
  while (segment < target) {
    uint8_t* b = read_bitmap_page(icb, page, grow ? "InsertBit2" : "DeleteBit2");
    if (b == nullptr) {
      *failed = true;
      return 0;
    }
    uint32_t next = PageRef(b).forward();
    if (next == 0) {
      if (!grow) return 0;
      uint8_t* nb = nullptr;
      next = FreePage(*icb.fcb, &nb, kBitmapPage, icb.seq, "InsertBit3");
      if (next == 0) {
        *failed = true;
        return 0;
      }
      PageRef(nb).set_back(page);
      WritePage(*icb.fcb, nb, next, "InsertBit3");
      write_through(*icb.fcb, next);
      b = read_bitmap_page(icb, page, "InsertBit4");
      if (b == nullptr) {
        *failed = true;
        return 0;
      }
      PageRef(b).set_forward(next);
      WritePage(*icb.fcb, b, page, "InsertBit4");
    }
    page = next;
    ++segment;
  }
  return page;
}

// Where to start walking to segment s: the cached page when it is not beyond s.
void walk_start(Icb& icb, uint32_t first, uint32_t s, uint32_t* page, uint32_t* segment) {
  *page = first;
  *segment = 0;
  PositionRecord* r = icb.positions.find(bitmap_key(first));
  if (r != nullptr && r->place <= s && r->page != 0) {
    *page = r->page;
    *segment = r->place;
  }
}

void remember_segment(Icb& icb, uint32_t first, uint32_t page, uint32_t segment) {
  PositionRecord* r = icb.positions.find(bitmap_key(first));
  if (r == nullptr) r = icb.positions.create(bitmap_key(first));
  if (r != nullptr) {
    r->page = page;
    r->place = segment;
  }
}

// CopyNewBit: writes one segment's bits to a new bitmap page linked after `previous` (or
// back to the key page for segment 0).
uint32_t CopyNewBit(Icb& icb, const uint8_t* bits, uint32_t previous, uint32_t key_page,
                    uint32_t count) {
  uint8_t* b = nullptr;
  const uint32_t page = FreePage(*icb.fcb, &b, kBitmapPage, icb.seq, "CopyNewBit");
  if (page == 0) return 0;
  PageRef p(b);
  std::memcpy(p.data(), bits, kPageData);
  p.set_back(previous != 0 ? previous : key_page);
  p.set_used(
      previous != 0 ? 0 : static_cast<uint16_t>(count < kSaturatedCount ? count : kSaturatedCount));
  WritePage(*icb.fcb, b, page, "CopyNewBit");
  if (previous != 0) {
    uint8_t* pb = read_bitmap_page(icb, previous, "CopyNewBit2");
    if (pb == nullptr) {
      if ((b = ReadPage(*icb.fcb, page, "CopyNewBit2")) != nullptr) {
        ReturnPage(*icb.fcb, b, page, "CopyNewBit2");
      }
      return 0;
    }
    PageRef(pb).set_forward(page);
    WritePage(*icb.fcb, pb, previous, "CopyNewBit2");
  }
  return page;
}

}  // namespace

uint8_t* read_bitmap_page(Icb& icb, uint32_t page, const char* caller) {
  if (page == 0) return nullptr;
  uint8_t* b = ReadPage(*icb.fcb, page, caller);
  return b != nullptr && PageRef(b).type() == kBitmapPage ? b : nullptr;
}

int InsertBit(Icb& icb, uint32_t first, uint32_t pointer) {
  const uint32_t s = pointer / kSegmentBits;
  if (read_bitmap_page(icb, first, "InsertBit") == nullptr) return kDbNoSpace;
  uint32_t page = 0, segment = 0;
  walk_start(icb, first, s, &page, &segment);
  bool failed = false;
  page = walk_segments(icb, page, segment, s, true, &failed);
  if (failed || page == 0) return kDbNoSpace;
  uint8_t* b = read_bitmap_page(icb, page, "InsertBit5");
  if (b == nullptr) return kDbNoSpace;
  if (test_bit(PageRef(b).data(), pointer % kSegmentBits)) return kDbDuplicate;
  set_bit(PageRef(b).data(), pointer % kSegmentBits);
  WritePage(*icb.fcb, b, page, "InsertBit6");
  remember_segment(icb, first, page, s);
  uint8_t* fb = read_bitmap_page(icb, first, "InsertBit1");
  if (fb == nullptr) return kDbNoSpace;
  PageRef f(fb);
  if (f.used() != kSaturatedCount) f.set_used(static_cast<uint16_t>(f.used() + 1));
  WritePage(*icb.fcb, fb, first, "InsertBit1");
  return kDbOk;
}

int DeleteBit(Icb& icb, uint32_t first, uint32_t pointer) {
  const uint32_t s = pointer / kSegmentBits;
  if (read_bitmap_page(icb, first, "DeleteBit") == nullptr) return kDbNoSpace;
  uint32_t page = 0, segment = 0;
  walk_start(icb, first, s, &page, &segment);
  bool failed = false;
  page = walk_segments(icb, page, segment, s, false, &failed);
  if (failed) return kDbNoSpace;
  if (page == 0) return kDbPointerNotFound;
  uint8_t* b = read_bitmap_page(icb, page, "DeleteBit3");
  if (b == nullptr) return kDbNoSpace;
  if (!test_bit(PageRef(b).data(), pointer % kSegmentBits)) return kDbPointerNotFound;
  clear_bit(PageRef(b).data(), pointer % kSegmentBits);
  WritePage(*icb.fcb, b, page, "DeleteBit4");
  uint8_t* fb = read_bitmap_page(icb, first, "DeleteBit5");
  if (fb == nullptr) return kDbNoSpace;
  PageRef f(fb);
  if (f.used() == kSaturatedCount) return kDbOk;
  const int count = f.used() > 0 ? f.used() - 1 : 0;
  f.set_used(static_cast<uint16_t>(count));
  WritePage(*icb.fcb, fb, first, "DeleteBit6");
  return count < kBitmapLowWater ? kDbToRelation : kDbOk;
}

int DelAllBits(Icb& icb, uint32_t first) {
  icb.positions.erase(bitmap_key(first));
  const uint32_t limit = chain_limit(icb);
  uint32_t page = first;
  for (uint32_t steps = 0; page != 0; ++steps) {
    uint8_t* b = read_bitmap_page(icb, page, "DeleteAllBits");
    if (b == nullptr || steps > limit) return kDbNoSpace;
    const uint32_t next = PageRef(b).forward();
    ReturnPage(*icb.fcb, b, page, "DeleteAllBits");
    page = next;
  }
  return kDbOk;
}

int build_bitmap(Icb& icb, const uint32_t* sorted, uint32_t count, uint32_t key_page,
                 uint32_t* first, uint32_t* last, uint32_t* last_segment) {
  *first = 0;
  uint32_t previous = 0;
  uint32_t i = 0;
  const uint32_t segments = count == 0 ? 1 : sorted[count - 1] / kSegmentBits + 1;
  uint8_t bits[kPageData];
  for (uint32_t k = 0; k < segments; ++k) {
    std::memset(bits, 0, sizeof bits);
    for (; i < count && sorted[i] / kSegmentBits == k; ++i) set_bit(bits, sorted[i] % kSegmentBits);
    const uint32_t page = CopyNewBit(icb, bits, previous, key_page, count);
    if (page == 0) {
      if (*first != 0) DelAllBits(icb, *first);
      *first = 0;
      return kDbNoSpace;
    }
    if (*first == 0) *first = page;
    previous = page;
  }
  // The whole chain, links included, is on the disk before an entry names it.
  uint32_t page = *first;
  for (uint32_t k = 0; k < segments && page != 0; ++k) {
    write_through(*icb.fcb, page);
    uint8_t* b = read_bitmap_page(icb, page, "CopyNewBit");
    page = b != nullptr ? PageRef(b).forward() : 0;
  }
  *last = previous;
  *last_segment = segments - 1;
  return kDbOk;
}

int BitmapReader::next(uint32_t* pointer) {
  while (page_ != 0) {
    uint8_t* b = read_bitmap_page(icb_, page_, "LoadSeg");
    if (b == nullptr || steps_ > chain_limit(icb_)) {
      page_ = 0;
      return -1;
    }
    const uint8_t* bits = PageRef(b).data();
    while (bit_ < kSegmentBits) {
      if (bits[bit_ / 8] == 0) {
        bit_ = (bit_ / 8 + 1) * 8;
        continue;
      }
      const uint32_t bit = bit_++;
      if (test_bit(bits, bit)) {
        *pointer = segment_ * kSegmentBits + bit;
        return 1;
      }
    }
    page_ = PageRef(b).forward();
    ++segment_;
    ++steps_;
    bit_ = 0;
  }
  return 0;
}

}  // namespace tovr
