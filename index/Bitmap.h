// Bitmaps: record-pointer sets kept as chains of bitmap pages (page type 4), one page per
// segment of 8064 record numbers. Record number p lies in segment p / 8064 at bit
// p mod 8064: data byte bit / 8, mask 0x80 >> (bit mod 8). Every segment from 0 to the
// highest has a page, chained in segment order by forward links. The first page's used
// count is the number of pointers in the set, saturating at 65535 (a saturated count never
// changes again); its back link names the key page, later pages link back to the page
// before them.
#pragma once

#include <cstdint>

#include "index/Icb.h"

namespace tovr {

inline constexpr uint32_t kSegmentBits = 8064;
inline constexpr uint16_t kSaturatedCount = 65535;
// A bitmap whose count falls below this becomes a relation again.
inline constexpr int kBitmapLowWater = 75;

inline bool test_bit(const uint8_t* bits, uint32_t bit) {
  return (bits[bit / 8] & (0x80u >> (bit % 8))) != 0;
}
inline void set_bit(uint8_t* bits, uint32_t bit) {
  bits[bit / 8] = static_cast<uint8_t>(bits[bit / 8] | (0x80u >> (bit % 8)));
}
inline void clear_bit(uint8_t* bits, uint32_t bit) {
  bits[bit / 8] = static_cast<uint8_t>(bits[bit / 8] & ~(0x80u >> (bit % 8)));
}

// Reads a bitmap page; null when unreadable or of another type.
uint8_t* read_bitmap_page(Icb& icb, uint32_t page, const char* caller);

// InsertBit: sets pointer's bit, adding pages for missing segments. 0, 9 or 12.
int InsertBit(Icb& icb, uint32_t first, uint32_t pointer);
// DeleteBit: clears pointer's bit. 0, 8, 9, or 18 when the count fell below 75.
int DeleteBit(Icb& icb, uint32_t first, uint32_t pointer);
// DelAllBits: returns every page of the chain. 0 or 9.
int DelAllBits(Icb& icb, uint32_t first);

// Builds a bitmap chain from sorted, distinct pointers (CopyNewBit for each segment).
// *first receives its first page, whose back link is key_page. On a page shortage the pages
// built are returned and 9 is the result.
int build_bitmap(Icb& icb, const uint32_t* sorted, uint32_t count, uint32_t key_page,
                 uint32_t* first, uint32_t* last, uint32_t* last_segment);

// The pointers of a bitmap in ascending order.
class BitmapReader {
 public:
  BitmapReader(Icb& icb, uint32_t first) : icb_(icb), page_(first) {}
  // 1 with the next pointer, 0 at the end, -1 when the chain is broken.
  int next(uint32_t* pointer);

 private:
  Icb& icb_;
  uint32_t page_;
  uint32_t segment_ = 0;
  uint32_t bit_ = 0;
  uint32_t steps_ = 0;
};

}  // namespace tovr
