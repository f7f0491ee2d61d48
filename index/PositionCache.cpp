#include "index/PositionCache.h"

#include "frame/memory.h"

namespace tovr {
namespace {

constexpr unsigned kHeads = 65536;

}  // namespace

unsigned PositionCache::head_of(uint64_t key) {
  const uint64_t h = key * 0x9E3779B97F4A7C15ull;
  return static_cast<unsigned>(h >> 48);
}

PositionRecord* PositionCache::find(uint64_t key) {
  if (recent_ != nullptr && recent_->key == key) return recent_;
  if (heads_ == nullptr) return nullptr;
  for (PositionRecord* r = heads_[head_of(key)]; r != nullptr; r = r->next) {
    if (r->key == key) return recent_ = r;
  }
  return nullptr;
}

PositionRecord* PositionCache::create(uint64_t key) {
  if (heads_ == nullptr) {
    heads_ = static_cast<PositionRecord**>(mem_alloc_zeroed(kHeads, sizeof(PositionRecord*)));
    if (heads_ == nullptr) return nullptr;
  }
  PositionRecord* r = free_;
  if (r != nullptr) {
    free_ = r->next;
  } else {
    r = static_cast<PositionRecord*>(cells_.allocate(sizeof(PositionRecord), 8));
    if (r == nullptr) return nullptr;
  }
  PositionRecord*& head = heads_[head_of(key)];
  *r = PositionRecord{head, key, 0, 0, 0, 0};
  head = r;
  return recent_ = r;
}

void PositionCache::erase(uint64_t key) {
  if (heads_ == nullptr) return;
  for (PositionRecord** at = &heads_[head_of(key)]; *at != nullptr; at = &(*at)->next) {
    PositionRecord* r = *at;
    if (r->key != key) continue;
    *at = r->next;
    if (recent_ == r) recent_ = nullptr;
    r->next = free_;
    free_ = r;
    return;
  }
}

void PositionCache::release() {
  mem_free(heads_);
  heads_ = nullptr;
  recent_ = nullptr;
  free_ = nullptr;
  cells_.release();
}

}  // namespace tovr
