#include "index/InsertCache.h"

#include <algorithm>
#include <cstring>

#include "frame/memory.h"
#include "index/DbStatus.h"
#include "index/Icb.h"
#include "index/KeyOps.h"

namespace tovr {
namespace {

// More pairs than this are sorted before they are inserted.
constexpr int kSortAbove = 4;
constexpr int kGroupFlag = 2;

bool resize_pairs(InsertCache& c, int capacity) {
  const std::size_t bytes = sizeof(CachedPair) * static_cast<std::size_t>(capacity);
  if (bytes / sizeof(CachedPair) != static_cast<std::size_t>(capacity)) return false;
  void* p = mem_realloc(c.pairs, bytes);
  if (p == nullptr) return false;
  c.pairs = static_cast<CachedPair*>(p);
  return true;
}

bool by_key_then_pointer(const CachedPair& a, const CachedPair& b) {
  const int k = std::strcmp(a.key, b.key);  // unsigned bytes, case matters
  if (k != 0) return k < 0;
  if (a.pointer != b.pointer) return a.pointer < b.pointer;
  return a.arrival < b.arrival;
}

}  // namespace

int set_insert_cache_size(Icb& icb, int capacity) {
  InsertCache& c = icb.cache;
  if (c.capacity == capacity) return kDbOk;
  if (c.capacity != 0) {
    if (capacity < c.capacity) flush_insert_cache(icb);
    if (capacity < 1) {
      release_insert_cache(icb);
      return kDbOk;
    }
  } else if (capacity < 1) {
    return kDbOk;
  }
  if (!resize_pairs(c, capacity)) return kDbBadHandle;
  c.capacity = capacity;
  return kDbOk;
}

int add_to_insert_cache(Icb& icb, const char* key, uint32_t pointer, int flag) {
  InsertCache& c = icb.cache;
  if (c.pairs == nullptr) return kDbBadHandle;
  const std::size_t length = std::strlen(key) + 1;
  char* copy = static_cast<char*>(c.strings.allocate(length, 1));
  if (copy == nullptr) {
    // A key longer than a pool block could never be stored; no memory is reported as 9.
    return length > kPoolBlockBytes ? kDbDuplicate : kDbNoSpace;
  }
  std::memcpy(copy, key, length);
  c.pairs[c.count] =
      CachedPair{copy, pointer, static_cast<uint16_t>(flag), static_cast<uint32_t>(c.count)};
  if (++c.count >= c.capacity) return flush_insert_cache(icb);
  return kDbOk;
}

int flush_insert_cache(Icb& icb) {
  InsertCache& c = icb.cache;
  if (c.count == 0) return kDbOk;
  if (c.count > kSortAbove) std::sort(c.pairs, c.pairs + c.count, by_key_then_pointer);
  int status = kDbOk;
  for (int i = 0; i < c.count; ++i) {
    const CachedPair& p = c.pairs[i];
    const bool repeat =
        i > 0 && p.pointer == c.pairs[i - 1].pointer && std::strcmp(p.key, c.pairs[i - 1].key) == 0;
    status = repeat ? kDbDuplicate : insert_key(icb, p.key, p.pointer, p.flag, nullptr);
    if (status == kDbDuplicate && p.flag == kGroupFlag) status = kDbOk;
  }
  c.count = 0;
  c.strings.empty();
  return status;
}

void release_insert_cache(Icb& icb) {
  InsertCache& c = icb.cache;
  mem_free(c.pairs);
  c.pairs = nullptr;
  c.strings.release();
  c.capacity = 0;
  c.count = 0;
}

}  // namespace tovr
