// A chain of 16 KB blocks from which small pieces are taken one after another: the key
// texts of the insert cache and the records of the per-key position cache live here
// instead of in one allocation each. Emptying the pool keeps its first block for reuse.
// Plain data: an all-zero BlockPool is an empty pool.
#pragma once

#include <cstddef>

namespace tovr {

inline constexpr std::size_t kPoolBlockBytes = 16384;

class BlockPool {
 public:
  // Room for n bytes aligned to `align` (1 or 8), or null when n does not fit a block or no
  // block can be had. A piece that does not fit the current block opens a new one.
  void* allocate(std::size_t n, std::size_t align);
  void empty();
  void release();

 private:
  struct Block {
    Block* next;
    std::size_t used;
    alignas(8) unsigned char bytes[kPoolBlockBytes];
  };
  Block* first_;
  Block* current_;
};

}  // namespace tovr
