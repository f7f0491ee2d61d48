#include "matcher/candidate_list.h"

#include <cstring>

#include "frame/memory.h"

namespace tovr {
namespace {

std::size_t slot_size(const CandBlock* block) {
  return static_cast<std::size_t>(block->record_length) + 1;
}

CandBlock* new_block(std::int16_t capacity, std::int16_t first, std::int16_t record_length) {
  CandBlock* block = make<CandBlock>();
  if (block == nullptr) return nullptr;
  block->records = static_cast<char*>(mem_alloc(static_cast<std::size_t>(capacity) *
                                                (static_cast<std::size_t>(record_length) + 1)));
  if (block->records == nullptr) {
    destroy(block);
    return nullptr;
  }
  block->first = first;
  block->capacity = capacity;
  block->free_slots = capacity;
  block->record_length = record_length;
  return block;
}

}  // namespace

CandBlock* new_list(std::int16_t record_length) {
  return new_block(kFirstBlockSlots, 1, record_length);
}

void free_list(CandBlock* list) {
  while (list != nullptr) {
    CandBlock* next = list->next;
    mem_free(list->records);
    destroy(list);
    list = next;
  }
}

void empty_list(CandBlock* list) {
  list->count = 0;
  for (CandBlock* b = list; b != nullptr; b = b->next) b->free_slots = b->capacity;
}

AppendResult append_candidate(MatchControl& mc, CandBlock* list, const char* record) {
  if (list->count >= kMaxCandidates) return AppendResult::kFull;
  CandBlock* block = (mc.cache_list == list && mc.cache_block != nullptr) ? mc.cache_block : list;
  while (block->free_slots == 0) {
    if (block->next == nullptr) {
      block->next =
          new_block(kNextBlockSlots, static_cast<std::int16_t>(block->first + block->capacity),
                    list->record_length);
      if (block->next == nullptr) return AppendResult::kNoMemory;
    }
    block = block->next;
  }
  char* slot = block->records +
               static_cast<std::size_t>(block->capacity - block->free_slots) * slot_size(block);
  const int length = block->record_length;
  int n = 0;
  if (record != nullptr) {
    while (n < length && record[n] != '\0') {
      slot[n] = record[n];
      ++n;
    }
  }
  std::memset(slot + n, ' ', static_cast<std::size_t>(length - n));
  slot[length] = '\0';
  --block->free_slots;
  ++list->count;
  mc.cache_list = list;
  mc.cache_block = block;
  mc.cache_first = block->first;
  return AppendResult::kOk;
}

const char* candidate_record(const MatchControl* mc, const CandBlock* list, int k) {
  if (k < 1 || k > list->count) return nullptr;
  const CandBlock* block = list;
  if (mc != nullptr && mc->cache_list == list && mc->cache_block != nullptr &&
      k >= mc->cache_first) {
    block = mc->cache_block;
  }
  while (block != nullptr && k >= block->first + block->capacity) block = block->next;
  if (block == nullptr) return nullptr;
  return block->records + static_cast<std::size_t>(k - block->first) * slot_size(block);
}

}  // namespace tovr
