#include "index/SegmentLoad.h"

#include "frame/memory.h"
#include "index/Bitmap.h"
#include "index/Icb.h"
#include "index/KeyPage.h"
#include "index/Relation.h"

namespace tovr {
namespace {

bool load_single(uint32_t pointer, uint32_t k, SegmentStack& stack, uint32_t* next) {
  if (!stack.push_empty()) return false;
  const uint32_t s = pointer / kSegmentBits;
  if (s == k) stack.set_top_bit(pointer % kSegmentBits);
  *next = s > k ? s : 0;
  return true;
}

bool load_relation(Icb& icb, const SlotRef& first, uint32_t k, SegmentStack& stack,
                   uint32_t* next) {
  if (!stack.push_empty()) return false;
  RelationReader reader(icb, first);
  uint32_t p = 0;
  int got = 0;
  *next = 0;
  while ((got = reader.next(&p)) == 1) {
    const uint32_t s = p / kSegmentBits;
    if (s == k) {
      stack.set_top_bit(p % kSegmentBits);
    } else if (s > k && (*next == 0 || s < *next)) {
      *next = s;
    }
  }
  if (got == 0) return true;
  stack.pop();
  return false;
}

bool load_bitmap(Icb& icb, uint32_t* page, uint32_t k, SegmentStack& stack, uint32_t* next) {
  const uint8_t* b = read_bitmap_page(icb, *page, "LoadSeg");
  if (b == nullptr || !stack.push_copy(b + kPageHeader)) return false;
  *page = load_u32(b + 4);
  *next = *page != 0 ? k + 1 : 0;
  return true;
}

}  // namespace

SegmentStack* segment_stack(Icb& icb) {
  if (icb.segments == nullptr) icb.segments = make<SegmentStack>();
  return icb.segments;
}

void release_segment_stack(Icb& icb) {
  destroy(icb.segments);
  icb.segments = nullptr;
}

bool LoadSeg(Icb& icb, uint32_t* word_a, uint32_t word_b, uint32_t k, SegmentStack& stack,
             uint32_t* next_segment) {
  switch (word_b & 0xFF) {
    case kSingleKind:
      return load_single(*word_a, k, stack, next_segment);
    case kRelationKind:
      return load_relation(icb, relation_of(*word_a, word_b), k, stack, next_segment);
    case kBitmapKind:
      return load_bitmap(icb, word_a, k, stack, next_segment);
    default:
      return false;
  }
}

}  // namespace tovr
