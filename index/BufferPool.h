// The buffer pool of an index file: a fixed number of 1024-byte page buffers kept in order
// of use, least recently used first. A page access first tries the most recent and the
// second most recent buffer (hits there leave the order alone); any other hit moves the
// buffer to the most recent end, and a miss takes the least recently used buffer.
//
// BufCtl entries and their "next" chain are the order itself. A back chain and a small
// hash table from page numbers to buffers only make unlinking and finding a page cheap for
// large pools; they never change which buffer a walk of the chain would find or evict.
#pragma once

#include <cstdint>

namespace tovr {

inline constexpr uint32_t kNoPage = 0xFFFFFFFFu;
inline constexpr uint16_t kEndOfChain = 0xFFFF;

struct BufCtl {
  uint32_t page;  // kNoPage when the buffer is empty
  uint16_t next;  // next buffer in order of use, kEndOfChain at the most recent end
  uint16_t dirty;
};

// Plain data: an all-zero BufferPool is a valid empty pool (init() has not run).
class BufferPool {
 public:
  // Allocates count buffers (5..32767), all empty and clean, chained 0 -> 1 -> ... -> last;
  // least recent 0, most recent and second most recent the last. False when out of memory.
  bool init(int count);
  void release();
  bool ready() const { return bytes_ != nullptr; }

  int count() const { return count_; }
  int least_recent() const { return lru_; }
  int most_recent() const { return mru_; }
  int second_recent() const { return mru2_; }

  uint8_t* buffer(int i) const { return bytes_ + static_cast<long>(i) * 1024; }
  BufCtl& ctl(int i) const { return ctl_[i]; }

  // The buffer holding page, or -1. A hit other than the two most recent buffers moves the
  // buffer to the most recent end.
  int find(uint32_t page);
  // Takes the least recently used buffer, moves it to the most recent end and empties it
  // (its contents stay until the caller overwrites them). The caller writes it back first
  // when it is dirty.
  int take_least_recent();
  // The buffer holding page, or -1, without touching the order of use.
  int peek(uint32_t page) const { return page == kNoPage ? -1 : hash_find(page); }
  // Moves the least recently used buffer to the most recent end, keeping its page.
  void pass_over_least_recent();
  // Records that buffer i now holds page.
  void assign(int i, uint32_t page);

 private:
  void unlink(int i);
  void append(int i);
  unsigned slot_of(uint32_t page) const;
  void hash_insert(uint32_t page, int i);
  void hash_erase(uint32_t page);
  int hash_find(uint32_t page) const;

  int count_;
  int lru_;
  int mru_;
  int mru2_;
  uint8_t* bytes_;
  BufCtl* ctl_;
  uint16_t* prev_;
  int32_t* table_;  // open addressing, -1 = empty slot
  unsigned table_mask_;
};

}  // namespace tovr
