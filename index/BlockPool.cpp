#include "index/BlockPool.h"

#include "frame/memory.h"

namespace tovr {

void* BlockPool::allocate(std::size_t n, std::size_t align) {
  if (n > kPoolBlockBytes) return nullptr;
  if (current_ != nullptr) {
    const std::size_t at = (current_->used + align - 1) / align * align;
    if (at + n <= kPoolBlockBytes) {
      current_->used = at + n;
      return current_->bytes + at;
    }
    if (current_->next != nullptr) {
      current_ = current_->next;
      current_->used = n;
      return current_->bytes;
    }
  }
  Block* b = static_cast<Block*>(mem_alloc(sizeof(Block)));
  if (b == nullptr) return nullptr;
  b->next = nullptr;
  b->used = n;
  if (current_ == nullptr) {
    first_ = b;
  } else {
    current_->next = b;
  }
  current_ = b;
  return b->bytes;
}

void BlockPool::empty() {
  if (first_ == nullptr) return;
  Block* b = first_->next;
  while (b != nullptr) {
    Block* next = b->next;
    mem_free(b);
    b = next;
  }
  first_->next = nullptr;
  first_->used = 0;
  current_ = first_;
}

void BlockPool::release() {
  empty();
  mem_free(first_);
  first_ = nullptr;
  current_ = nullptr;
}

}  // namespace tovr
