#include "index/ResultAlgebra.h"

#include "index/QueryProgram.h"

namespace tovr {
namespace {

bool bit_is_set(const ResultSet& s, uint32_t v) {
  const uint8_t* seg = s.segment(v / kRecordsPerSegment);
  const uint32_t bit = v % kRecordsPerSegment;
  return seg != nullptr && (seg[bit / 8] & (0x80u >> (bit % 8))) != 0;
}

void apply_bit(ResultSet& s, uint32_t v, char op) {
  const uint32_t bit = v % kRecordsPerSegment;
  uint8_t* seg = s.ensure_segment(v / kRecordsPerSegment);
  const uint8_t mask = static_cast<uint8_t>(0x80u >> (bit % 8));
  seg[bit / 8] = static_cast<uint8_t>(op == kXorOp ? seg[bit / 8] ^ mask : seg[bit / 8] | mask);
}

// Moves other's data into s, leaving other an empty list.
void take_over(ResultSet& s, ResultSet& other) {
  s.release();
  s.swap_data(other);
}

void merge_lists(ResultSet& lower, ResultSet& upper, char op) {
  lower.prepare_list();
  upper.prepare_list();
  ResultSet out;
  uint32_t a = lower.take();
  uint32_t b = upper.take();
  while (a != kListEnd || b != kListEnd) {
    if (a == b) {
      if (op != kXorOp) out.append(a);
      a = lower.take();
      b = upper.take();
    } else if (a < b) {
      if (op != kAndOp) out.append(a);
      a = lower.take();
    } else {
      if (op != kAndOp) out.append(b);
      b = upper.take();
    }
  }
  take_over(lower, out);
}

void combine_bitmaps(ResultSet& lower, const ResultSet& upper, char op) {
  if (op == kAndOp) {
    for (uint32_t k = 0; k < lower.segment_slots(); ++k) {
      uint8_t* target = lower.segment(k);
      if (target == nullptr) continue;
      const uint8_t* source = upper.segment(k);
      if (source == nullptr) {
        lower.release_segment(k);
        continue;
      }
      for (int i = 0; i < kSegmentBytes; ++i) target[i] &= source[i];
    }
    return;
  }
  for (uint32_t k = 0; k < upper.segment_slots(); ++k) {
    const uint8_t* source = upper.segment(k);
    if (source == nullptr) continue;
    uint8_t* target = lower.ensure_segment(k);
    for (int i = 0; i < kSegmentBytes; ++i) {
      target[i] =
          static_cast<uint8_t>(op == kXorOp ? target[i] ^ source[i] : target[i] | source[i]);
    }
  }
}

// bitmap op list; the result replaces bitmap.
void combine_mixed(ResultSet& bitmap, const ResultSet& list, char op) {
  if (op == kAndOp) {
    ResultSet out;
    for (const ListBlock* b = list.first_block(); b != nullptr; b = b->next) {
      for (int i = 0; i < b->used; ++i) {
        if (bit_is_set(bitmap, b->values[i])) out.append(b->values[i]);
      }
    }
    take_over(bitmap, out);
    return;
  }
  for (const ListBlock* b = list.first_block(); b != nullptr; b = b->next) {
    for (int i = 0; i < b->used; ++i) apply_bit(bitmap, b->values[i], op);
  }
}

void combine_data(ResultSet& lower, ResultSet& upper, char op) {
  normalise_set(lower);
  normalise_set(upper);
  if (lower.form() == kListForm && upper.form() == kListForm) {
    merge_lists(lower, upper, op);
  } else if (lower.form() == kBitmapForm && upper.form() == kBitmapForm) {
    combine_bitmaps(lower, upper, op);
  } else if (lower.form() == kBitmapForm) {
    combine_mixed(lower, upper, op);
  } else {
    combine_mixed(upper, lower, op);
    take_over(lower, upper);
  }
  upper.release();
}

}  // namespace

void complement_set(ResultSet& s) {
  switch (s.state()) {
    case kEmptySet:
      s.release();
      s.set_state(kUniverseSet);
      break;
    case kUniverseSet:
      s.release();
      s.set_state(kEmptySet);
      break;
    case kComplementPending:
      s.set_state(kNormalSet);
      break;
    default:
      s.set_state(kComplementPending);
      break;
  }
}

void combine_sets(ResultSet& lower, ResultSet& upper, char op) {
  const bool lower_empty = lower.state() == kEmptySet;
  const bool upper_empty = upper.state() == kEmptySet;
  const bool lower_all = lower.state() == kUniverseSet;
  const bool upper_all = upper.state() == kUniverseSet;
  if (op == kAndOp && (lower_empty || upper_empty)) {
    lower.release();
    lower.set_state(kEmptySet);
  } else if (op != kAndOp && (lower_empty || upper_empty)) {
    if (lower_empty) take_over(lower, upper);
  } else if (op == kOrOp && (lower_all || upper_all)) {
    lower.release();
    lower.set_state(kUniverseSet);
  } else if (op == kAndOp && (lower_all || upper_all)) {
    if (lower_all) take_over(lower, upper);
  } else if (op == kXorOp && (lower_all || upper_all)) {
    if (lower_all) take_over(lower, upper);
    complement_set(lower);
  } else {
    combine_data(lower, upper, op);
  }
  upper.release();
}

void normalise_set(ResultSet& s) {
  if (s.state() == kEmptySet) {
    s.release();
    return;
  }
  if (s.state() != kComplementPending) return;
  s.to_bitmap();
  for (uint32_t k = 0; k < s.segment_slots(); ++k) {
    uint8_t* seg = s.segment(k);
    if (seg == nullptr) continue;
    for (int i = 0; i < kSegmentBytes; ++i) seg[i] = static_cast<uint8_t>(~seg[i]);
  }
  s.set_state(kNormalSet);
}

void prepare_for_reading(ResultSet& s) {
  if (s.state() == kComplementPending) normalise_set(s);
  if (s.state() == kNormalSet && s.form() == kListForm) s.prepare_list();
}

}  // namespace tovr
