#include "index/ResultSet.h"

#include <algorithm>
#include <cstring>
#include <new>

#include "frame/memory.h"

namespace tovr {
namespace {

uint32_t current_value(const ListBlock* b) { return b->values[b->cursor]; }

int first_set_bit(uint8_t byte) {
  int bit = 0;
  while ((byte & (0x80u >> bit)) == 0) ++bit;
  return bit;
}

}  // namespace

void ResultSet::release() {
  for (ListBlock* b = first_; b != nullptr;) {
    ListBlock* next = b->next;
    mem_free(b);
    b = next;
  }
  first_ = last_ = cursors_ = nullptr;
  count_ = 0;
  for (uint32_t k = 0; k < slots_; ++k) mem_free(segments_[k]);
  mem_free(segments_);
  segments_ = nullptr;
  slots_ = 0;
  position_ = 1;
  state_ = kNormalSet;
  form_ = kListForm;
}

void ResultSet::swap_data(ResultSet& other) {
  std::swap(state_, other.state_);
  std::swap(form_, other.form_);
  std::swap(first_, other.first_);
  std::swap(last_, other.last_);
  std::swap(count_, other.count_);
  std::swap(cursors_, other.cursors_);
  std::swap(segments_, other.segments_);
  std::swap(slots_, other.slots_);
  std::swap(position_, other.position_);
  std::swap(last_read_, other.last_read_);
}

void ResultSet::append(uint32_t value) {
  if (last_ == nullptr || last_->used == kListBlockEntries) {
    auto* b = static_cast<ListBlock*>(mem_alloc(sizeof(ListBlock)));
    if (b == nullptr) throw std::bad_alloc();
    b->next = nullptr;
    b->next_cursor = nullptr;
    b->used = 0;
    b->cursor = 0;
    (last_ == nullptr ? first_ : last_->next) = b;
    last_ = b;
  }
  last_->values[last_->used++] = value;
  last_->values[last_->used] = kListEnd;
  ++count_;
}

// Keeps the cursor chain ordered by current values. Blocks of a list built in ascending
// order arrive in order, so the common case appends at once.
void ResultSet::insert_cursor(ListBlock* b) {
  const uint32_t v = current_value(b);
  ListBlock** link = &cursors_;
  while (*link != nullptr && current_value(*link) <= v) link = &(*link)->next_cursor;
  b->next_cursor = *link;
  *link = b;
}

void ResultSet::prepare_list() {
  cursors_ = nullptr;
  ListBlock* tail = nullptr;
  for (ListBlock* b = first_; b != nullptr; b = b->next) {
    std::sort(b->values, b->values + b->used);
    b->values[b->used] = kListEnd;
    b->cursor = 0;
    b->next_cursor = nullptr;
    if (b->used == 0) continue;
    if (tail == nullptr || current_value(tail) <= current_value(b)) {
      (tail == nullptr ? cursors_ : tail->next_cursor) = b;
      tail = b;
    } else {
      insert_cursor(b);
    }
  }
}

uint32_t ResultSet::take() {
  ListBlock* b = cursors_;
  if (b == nullptr) return kListEnd;
  const uint32_t v = current_value(b);
  ++b->cursor;
  cursors_ = b->next_cursor;
  if (b->cursor < b->used) {
    if (cursors_ == nullptr || current_value(b) <= current_value(cursors_)) {
      b->next_cursor = cursors_;
      cursors_ = b;
    } else {
      insert_cursor(b);
    }
  }
  return v;
}

uint8_t* ResultSet::ensure_segment(uint32_t k) {
  if (k >= slots_) {
    const uint32_t slots = (k / kSegmentGrowth + 1) * kSegmentGrowth;
    void* grown = mem_realloc(segments_, sizeof(uint8_t*) * slots);
    if (grown == nullptr) throw std::bad_alloc();
    segments_ = static_cast<uint8_t**>(grown);
    for (uint32_t i = slots_; i < slots; ++i) segments_[i] = nullptr;
    slots_ = slots;
  }
  if (segments_[k] == nullptr) {
    segments_[k] = static_cast<uint8_t*>(mem_alloc_zeroed(1, kSegmentBytes));
    if (segments_[k] == nullptr) throw std::bad_alloc();
  }
  return segments_[k];
}

void ResultSet::release_segment(uint32_t k) {
  if (k >= slots_) return;
  mem_free(segments_[k]);
  segments_[k] = nullptr;
}

void ResultSet::to_bitmap() {
  if (form_ == kBitmapForm) return;
  for (ListBlock* b = first_; b != nullptr; b = b->next) {
    for (int i = 0; i < b->used; ++i) {
      const uint32_t v = b->values[i];
      const uint32_t bit = v % kRecordsPerSegment;
      uint8_t* seg = ensure_segment(v / kRecordsPerSegment);
      seg[bit / 8] = static_cast<uint8_t>(seg[bit / 8] | (0x80u >> (bit % 8)));
    }
  }
  for (ListBlock* b = first_; b != nullptr;) {
    ListBlock* next = b->next;
    mem_free(b);
    b = next;
  }
  first_ = last_ = cursors_ = nullptr;
  count_ = 0;
  form_ = kBitmapForm;
  position_ = 1;
}

int32_t ResultSet::next_in_bitmap() {
  while (position_ < kListEnd) {
    const uint32_t k = position_ / kRecordsPerSegment;
    if (k >= slots_) break;
    const uint8_t* seg = segments_[k];
    uint32_t bit = position_ % kRecordsPerSegment;
    if (seg != nullptr) {
      for (uint32_t byte = bit / 8; byte < static_cast<uint32_t>(kSegmentBytes); ++byte) {
        const uint8_t masked = static_cast<uint8_t>(seg[byte] & (0xFFu >> (bit % 8)));
        bit = 0;
        if (masked == 0) continue;
        const uint64_t value = static_cast<uint64_t>(k) * kRecordsPerSegment + byte * 8 +
                               static_cast<uint32_t>(first_set_bit(masked));
        if (value >= kListEnd) break;
        position_ = static_cast<uint32_t>(value) + 1;
        return static_cast<int32_t>(value);
      }
    }
    position_ = (k + 1) * kRecordsPerSegment;
  }
  position_ = kListEnd;
  return 0;
}

int32_t ResultSet::next() {
  if (state_ == kEmptySet) return 0;
  if (state_ == kUniverseSet) return -1;
  if (form_ == kBitmapForm) return next_in_bitmap();
  for (;;) {
    const uint32_t v = take();
    if (v == kListEnd) return 0;
    if (!is_record_number(v) || v <= last_read_) continue;
    last_read_ = v;
    return static_cast<int32_t>(v);
  }
}

}  // namespace tovr
