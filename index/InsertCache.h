// The insert cache of an index handle: while it is on, insertions only record their
// (key, record pointer, flag) in memory. When the cache is full, or when the host flushes or
// closes, the pairs are sorted by key (more than four of them) and inserted in that order;
// a pair equal to the one before it is skipped. Key texts live in a pool of 16 KB blocks.
// Plain data: an all-zero InsertCache is off.
#pragma once

#include <cstdint>

#include "index/BlockPool.h"

namespace tovr {

struct Icb;

struct CachedPair {
  const char* key;
  uint32_t pointer;
  uint16_t flag;
  uint32_t arrival;  // keeps equal pairs in arrival order when sorting
};

struct InsertCache {
  int capacity;  // 0 = off
  int count;
  CachedPair* pairs;
  BlockPool strings;
};

// TOVR_dbSetInsertCacheSize: 0, or 13 when the pair array cannot be had.
int set_insert_cache_size(Icb& icb, int capacity);
// Records a pair; flushes when the cache is full and returns the flush's status.
int add_to_insert_cache(Icb& icb, const char* key, uint32_t pointer, int flag);
// TOVR_dbFlushInsertCache: inserts the pairs held; the status of the last pair (0 when
// none was held). The cache is empty afterwards in every case.
int flush_insert_cache(Icb& icb);
void release_insert_cache(Icb& icb);

}  // namespace tovr
