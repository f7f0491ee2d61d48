#include "frame/memory.h"

#include <cstring>

#include "frame/callbacks.h"

namespace tovr {

void* mem_alloc(std::size_t size) {
  auto fn = slot_as<TOVRCB_MallocFn>(TOVRCB_Malloc);
  // A zero-byte request still gets a distinct block, so callers can treat null as failure.
  return fn == nullptr ? nullptr : fn(size == 0 ? 1 : size);
}

void* mem_realloc(void* p, std::size_t size) {
  auto fn = slot_as<TOVRCB_ReallocFn>(TOVRCB_Realloc);
  return fn == nullptr ? nullptr : fn(p, size == 0 ? 1 : size);
}

void mem_free(void* p) {
  if (p == nullptr) return;
  auto fn = slot_as<TOVRCB_FreeFn>(TOVRCB_Free);
  if (fn != nullptr) fn(p);
}

void* mem_alloc_zeroed(std::size_t count, std::size_t size) {
  if (size != 0 && count > static_cast<std::size_t>(-1) / size) return nullptr;
  void* p = mem_alloc(count * size);
  if (p != nullptr) std::memset(p, 0, count * size);
  return p;
}

}  // namespace tovr
