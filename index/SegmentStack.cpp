#include "index/SegmentStack.h"

#include <bit>
#include <cstring>

namespace tovr {
namespace {

constexpr uint32_t kBits = kPageData * 8;

}  // namespace

void SegmentStack::reset() {
  depth_ = 0;
  scan_ = 0;
}

bool SegmentStack::push_empty() {
  if (depth_ >= kSegmentStackDepth) return false;
  // The bitmap last held here (if any) is zero outside its range: clearing that range
  // clears it all, a few bytes for a sparse one.
  if (begin_[depth_] < end_[depth_]) {
    std::memset(bits(depth_) + begin_[depth_], 0,
                static_cast<std::size_t>(end_[depth_] - begin_[depth_]));
  }
  begin_[depth_] = kPageData;
  end_[depth_] = 0;
  ++depth_;
  scan_ = 0;
  return true;
}

bool SegmentStack::push_copy(const uint8_t* from) {
  if (depth_ >= kSegmentStackDepth) return false;
  begin_[depth_] = 0;
  end_[depth_] = kPageData;
  std::memcpy(bits(depth_++), from, kPageData);
  scan_ = 0;
  return true;
}

bool SegmentStack::pop() {
  if (depth_ < 1) return false;
  --depth_;
  scan_ = 0;
  return true;
}

template <class Op>
bool SegmentStack::combine(Op op) {
  if (depth_ < 2) return false;
  uint8_t* lower = bits(depth_ - 2);
  const uint8_t* upper = bits(depth_ - 1);
  // Beyond both ends both bitmaps are zero, and so is any combination of them.
  int& begin = begin_[depth_ - 2];
  int& end = end_[depth_ - 2];
  if (begin_[depth_ - 1] < begin) begin = begin_[depth_ - 1];
  if (end_[depth_ - 1] > end) end = end_[depth_ - 1];
  // Words of 8 bytes: the same result as words of 16 bits.
  for (int i = begin / 8 * 8; i < end; i += 8) {
    uint64_t a = 0, b = 0;
    std::memcpy(&a, lower + i, 8);
    std::memcpy(&b, upper + i, 8);
    a = op(a, b);
    std::memcpy(lower + i, &a, 8);
  }
  --depth_;
  scan_ = 0;
  return true;
}

bool SegmentStack::and_top() {
  return combine([](uint64_t a, uint64_t b) { return a & b; });
}
bool SegmentStack::or_top() {
  return combine([](uint64_t a, uint64_t b) { return a | b; });
}
bool SegmentStack::xor_top() {
  return combine([](uint64_t a, uint64_t b) { return a ^ b; });
}

bool SegmentStack::complement_top() {
  if (depth_ < 1) return false;
  uint8_t* t = top();  // every byte may be set now
  for (int i = 0; i < kPageData; ++i) t[i] = static_cast<uint8_t>(~t[i]);
  scan_ = 0;
  return true;
}

void SegmentStack::set_top_bit(uint32_t bit) {
  uint8_t* t = bits(depth_ - 1);
  t[bit / 8] = static_cast<uint8_t>(t[bit / 8] | (0x80u >> (bit % 8)));
  const int byte = static_cast<int>(bit / 8);
  if (byte < begin_[depth_ - 1]) begin_[depth_ - 1] = byte;
  if (byte >= end_[depth_ - 1]) end_[depth_ - 1] = byte + 1;
}

bool SegmentStack::test_top_bit(uint32_t bit) const {
  return (bits(depth_ - 1)[bit / 8] & (0x80u >> (bit % 8))) != 0;
}

void SegmentStack::copy_top(uint8_t* to) const { std::memcpy(to, bits(depth_ - 1), kPageData); }

bool SegmentStack::next_bit(uint32_t* bit) {
  if (depth_ < 1) return false;
  const uint8_t* t = bits(depth_ - 1);
  // The rest of a byte begun: its bits from the scan position on (bits run from the most
  // significant one), the first set one found at once.
  if (scan_ < kBits && scan_ % 8 != 0) {
    const uint32_t at = scan_ / 8;
    const auto rest = static_cast<uint8_t>(t[at] & (0xFFu >> (scan_ % 8)));
    if (rest != 0) {
      const uint32_t b = at * 8 + static_cast<uint32_t>(std::countl_zero(rest));
      scan_ = b + 1;
      *bit = b;
      return true;
    }
    scan_ = (at + 1) * 8;
  }
  // Then whole bytes: 32 zero bytes skipped at a time while they last, then eight; in the
  // first byte that is not zero the first set bit is its highest.
  // Bytes before the bitmap's begin and from its end on are all zero.
  const auto limit = static_cast<uint32_t>(end_[depth_ - 1]);
  uint32_t byte = scan_ / 8;
  if (byte < static_cast<uint32_t>(begin_[depth_ - 1])) byte = begin_[depth_ - 1];
  while (byte + 32 <= limit) {
    uint64_t words[4];
    std::memcpy(words, t + byte, sizeof words);
    if ((words[0] | words[1] | words[2] | words[3]) != 0) break;
    byte += 32;
  }
  while (byte < limit) {
    if (byte + 8 <= limit) {
      uint64_t word = 0;
      std::memcpy(&word, t + byte, 8);
      if (word == 0) {
        byte += 8;
        continue;
      }
    }
    if (t[byte] == 0) {
      ++byte;
      continue;
    }
    const uint32_t b = byte * 8 + static_cast<uint32_t>(std::countl_zero(t[byte]));
    scan_ = b + 1;
    *bit = b;
    return true;
  }
  scan_ = kBits;
  return false;
}

}  // namespace tovr
