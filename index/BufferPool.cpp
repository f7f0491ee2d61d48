#include "index/BufferPool.h"

#include <cstring>

#include "frame/memory.h"

namespace tovr {

bool BufferPool::init(int count) {
  release();
  unsigned table_size = 16;
  while (table_size < 2u * static_cast<unsigned>(count)) table_size *= 2;
  bytes_ = static_cast<uint8_t*>(mem_alloc_zeroed(static_cast<std::size_t>(count), 1024));
  ctl_ = static_cast<BufCtl*>(mem_alloc(sizeof(BufCtl) * static_cast<std::size_t>(count)));
  prev_ = static_cast<uint16_t*>(mem_alloc(sizeof(uint16_t) * static_cast<std::size_t>(count)));
  table_ = static_cast<int32_t*>(mem_alloc(sizeof(int32_t) * table_size));
  if (bytes_ == nullptr || ctl_ == nullptr || prev_ == nullptr || table_ == nullptr) {
    release();
    return false;
  }
  count_ = count;
  for (int i = 0; i < count; ++i) {
    ctl_[i].page = kNoPage;
    ctl_[i].next = i + 1 < count ? static_cast<uint16_t>(i + 1) : kEndOfChain;
    ctl_[i].dirty = 0;
    prev_[i] = i > 0 ? static_cast<uint16_t>(i - 1) : kEndOfChain;
  }
  std::memset(table_, 0xFF, sizeof(int32_t) * table_size);
  table_mask_ = table_size - 1;
  lru_ = 0;
  mru_ = count - 1;
  mru2_ = count - 1;
  return true;
}

void BufferPool::release() {
  mem_free(bytes_);
  mem_free(ctl_);
  mem_free(prev_);
  mem_free(table_);
  bytes_ = nullptr;
  ctl_ = nullptr;
  prev_ = nullptr;
  table_ = nullptr;
  count_ = 0;
}

int BufferPool::find(uint32_t page) {
  if (page == kNoPage) return -1;
  if (ctl_[mru_].page == page) return mru_;
  if (ctl_[mru2_].page == page) return mru2_;
  const int i = hash_find(page);
  if (i < 0) return -1;
  unlink(i);
  append(i);
  return i;
}

int BufferPool::take_least_recent() {
  const int i = lru_;
  unlink(i);
  append(i);
  if (ctl_[i].page != kNoPage) hash_erase(ctl_[i].page);
  ctl_[i].page = kNoPage;
  return i;
}

void BufferPool::pass_over_least_recent() {
  const int i = lru_;
  unlink(i);
  append(i);
}

void BufferPool::assign(int i, uint32_t page) {
  if (ctl_[i].page != kNoPage) hash_erase(ctl_[i].page);
  ctl_[i].page = page;
  if (page != kNoPage) hash_insert(page, i);
}

void BufferPool::unlink(int i) {
  const uint16_t next = ctl_[i].next;
  const uint16_t prev = prev_[i];
  if (i == lru_) {
    lru_ = next;
  } else {
    ctl_[prev].next = next;
  }
  if (next != kEndOfChain) {
    prev_[next] = prev;
  } else {
    mru_ = prev;
  }
}

void BufferPool::append(int i) {
  const int old_tail = mru_;
  ctl_[i].next = kEndOfChain;
  prev_[i] = static_cast<uint16_t>(old_tail);
  ctl_[old_tail].next = static_cast<uint16_t>(i);
  mru2_ = old_tail;
  mru_ = i;
}

unsigned BufferPool::slot_of(uint32_t page) const {
  return (page * 0x9E3779B1u >> 7) & table_mask_;
}

void BufferPool::hash_insert(uint32_t page, int i) {
  unsigned s = slot_of(page);
  while (table_[s] >= 0) s = (s + 1) & table_mask_;
  table_[s] = i;
}

int BufferPool::hash_find(uint32_t page) const {
  for (unsigned s = slot_of(page);; s = (s + 1) & table_mask_) {
    const int32_t i = table_[s];
    if (i < 0) return -1;
    if (ctl_[i].page == page) return i;
  }
}

void BufferPool::hash_erase(uint32_t page) {
  unsigned s = slot_of(page);
  while (table_[s] >= 0 && ctl_[table_[s]].page != page) s = (s + 1) & table_mask_;
  if (table_[s] < 0) return;
  // Backward-shift deletion keeps every remaining entry reachable from its home slot.
  unsigned hole = s;
  for (unsigned j = (s + 1) & table_mask_; table_[j] >= 0; j = (j + 1) & table_mask_) {
    const unsigned home = slot_of(ctl_[table_[j]].page);
    const bool movable = hole <= j ? (home <= hole || home > j) : (home <= hole && home > j);
    if (movable) {
      table_[hole] = table_[j];
      hole = j;
    }
  }
  table_[hole] = -1;
}

}  // namespace tovr
