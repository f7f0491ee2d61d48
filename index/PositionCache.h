// The per-key position cache of an index handle: for each record-pointer set that has been
// added to since the handle was opened, where its chain ends, so that repeated insertions
// append without walking the chain.
//
// Records are keyed by the set's own first location (the first slot of a relation, the
// first page of a bitmap), which no other set shares while the set lives; whoever releases
// or converts a set drops its record. A relation's record also carries its pointer count,
// which decides the conversion to a bitmap: it starts at 4 when the set is first met after
// opening and grows by one per pointer added.
// Plain data: an all-zero PositionCache is empty.
#pragma once

#include <cstdint>

#include "index/BlockPool.h"

namespace tovr {

struct PositionRecord {
  PositionRecord* next;
  uint64_t key;
  uint32_t page;     // relation: page of the last slot; bitmap: last bitmap page reached
  uint32_t place;    // relation: number of the last slot; bitmap: that page's segment
  uint32_t count;    // relation: pointer count
  uint32_t highest;  // relation: no pointer above this is in the set
};

inline uint64_t relation_key(uint32_t page, int slot) {
  return (uint64_t{1} << 40) | (uint64_t{page} << 8) | static_cast<uint64_t>(slot & 0xFF);
}
inline uint64_t bitmap_key(uint32_t page) { return (uint64_t{2} << 40) | (uint64_t{page} << 8); }

class PositionCache {
 public:
  PositionRecord* find(uint64_t key);
  // A new zeroed record for key (which must not be present), or null when out of memory.
  PositionRecord* create(uint64_t key);
  void erase(uint64_t key);
  void release();

 private:
  static unsigned head_of(uint64_t key);

  PositionRecord** heads_;  // 65536 list heads, allocated on first use
  PositionRecord* recent_;
  PositionRecord* free_;
  BlockPool cells_;
};

}  // namespace tovr
