// The segment stack of an index handle: up to five bitmaps of one segment (1008 bytes,
// 8064 record numbers, most significant bit first) on which query terms are combined one
// segment at a time. Pushing a sixth bitmap is refused, as is an operation that lacks its
// operands (AND, OR and exclusive OR combine the top two into the lower one and pop the
// top). A scan position walks the set bits of the top bitmap in ascending order; every
// change of the stack starts the scan again at bit 0.
#pragma once

#include <cstdint>

#include "index/PageLayout.h"

namespace tovr {

inline constexpr int kSegmentStackDepth = 5;

class SegmentStack {
 public:
  void reset();
  int depth() const { return depth_; }

  bool push_empty();
  bool push_copy(const uint8_t* bits);  // 1008 bytes
  // Drops the top bitmap; false when the stack is empty.
  bool pop();
  bool and_top();
  bool or_top();
  bool xor_top();
  bool complement_top();

  // The top bitmap (depth must be above 0); the caller may write anywhere in it.
  uint8_t* top() {
    begin_[depth_ - 1] = 0;
    end_[depth_ - 1] = kPageData;
    return bits(depth_ - 1);
  }
  void set_top_bit(uint32_t bit);
  bool test_top_bit(uint32_t bit) const;
  void copy_top(uint8_t* bits) const;

  // NextBit: the next set bit of the top bitmap from the scan position; false when none is
  // left in its 1008 bytes.
  bool next_bit(uint32_t* bit);

 private:
  template <class Op>
  bool combine(Op op);

  uint8_t* bits(int i) { return images_[i] + kPageHeader; }
  const uint8_t* bits(int i) const { return images_[i] + kPageHeader; }

  // Each image is a page: the bitmap lies in its last 1008 bytes.
  uint8_t images_[kSegmentStackDepth][kPageSize];
  // For each place of the stack, the bytes [begin, end) outside of which all its bytes are
  // zero, whether it holds a bitmap now or held one before: a scan of a sparse bitmap (a
  // key's few pointers in one segment) looks at that range alone, and an empty bitmap
  // pushed there needs that range cleared alone. At first every byte counts.
  static_assert(kSegmentStackDepth == 5, "one initial range for each place");
  int begin_[kSegmentStackDepth] = {0, 0, 0, 0, 0};
  int end_[kSegmentStackDepth] = {kPageData, kPageData, kPageData, kPageData, kPageData};
  int depth_ = 0;
  uint32_t scan_ = 0;  // next bit to examine
};

}  // namespace tovr
