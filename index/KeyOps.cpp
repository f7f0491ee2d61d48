#include "index/KeyOps.h"

#include <cstring>

#include "frame/strings.h"
#include "index/DbStatus.h"
#include "index/KeyPage.h"
#include "index/KeyTree.h"
#include "index/RecordSet.h"

namespace tovr {
namespace {

inline constexpr int kMustBeNew = 1;
inline constexpr int kGroupFlag = 2;
inline constexpr int kGroupContinues = 12;

bool usable_key(const char* key, std::size_t max) {
  return key != nullptr && key[0] != '\0' && strnlen(key, max + 1) <= max;
}

int add_to_entry(Icb& icb, uint32_t pointer, const int* group) {
  switch (icb.search.word_b & 0xFF) {
    case kSingleKind:
      return InsertDirect(icb, pointer);
    case kRelationKind:
      return InsertIndirect(icb, pointer, group);
    case kBitmapKind:
      return insert_into_bitmap(icb, pointer);
    default:
      return kDbNoSpace;
  }
}

}  // namespace

int insert_key(Icb& icb, const char* key, uint32_t pointer, int flag, const int* group) {
  if (pointer == 0 || pointer > kMaxPointer || !usable_key(key, kMaxKeyLength)) {
    return kDbDuplicate;
  }
  icb.search.second = 0;
  const int found = FindEntry(icb, kExactMode, key);
  if (found == kTreeBroken) return kDbNoSpace;
  if (found == kNotFound) return InsertEntry(icb, key, pointer);
  if (flag == kMustBeNew) return kDbKeyExists;
  return add_to_entry(icb, pointer, group);
}

int db_insert(Icb& icb, const char* key, int pointer, int flag) {
  if (key == nullptr || key[0] == '\0') return kDbOk;
  if (icb.cache.capacity > 0) {
    return add_to_insert_cache(icb, key, static_cast<uint32_t>(pointer), flag);
  }
  return insert_key(icb, key, static_cast<uint32_t>(pointer), flag, nullptr);
}

int delete_key(Icb& icb, const char* key, int pointer) {
  const uint32_t p = static_cast<uint32_t>(pointer);
  if (p == 0 || !usable_key(key, kMaxKeyLength)) return kDbKeyNotFound;
  if (FindEntry(icb, kExactMode, key) < 0) return kDbKeyNotFound;
  if ((icb.search.word_b & 0xFF) == kSingleKind) {
    if (icb.search.word_a != p) return kDbPointerNotFound;
    return DeleteDirect(icb, icb.search.page, icb.search.offset);
  }
  return remove_from_set(icb, p);
}

int delete_all(Icb& icb, const char* key) {
  if (!usable_key(key, kMaxKeyLength)) return kDbKeyNotFound;
  if (FindEntry(icb, kExactMode, key) < 0) return kDbKeyNotFound;
  const uint32_t a = icb.search.word_a;
  const uint32_t b = icb.search.word_b;
  const uint32_t page = icb.search.page;
  const int status = DeleteDirect(icb, page, icb.search.offset);
  if (status != kDbOk) return status;
  // The entry is gone from the disk before its set is released.
  write_through(*icb.fcb, page);
  return release_set(icb, a, b) == kDbOk ? kDbOk : kDbNoSpace;
}

int insert_group(Icb& icb, const char* key, const int* pointers) {
  if (key == nullptr || key[0] == '\0') return kDbDuplicate;
  forget_last_key(icb);
  if (pointers == nullptr) return kDbOk;
  if (icb.cache.capacity > 0) {
    // Cached pairs are inserted one by one; the group flag turns a repeat into success.
    for (const int* p = pointers; *p != 0; ++p) {
      const int status = add_to_insert_cache(icb, key, static_cast<uint32_t>(*p), kGroupFlag);
      if (status != kDbOk) return status;
    }
    return kDbOk;
  }
  for (const int* p = pointers; *p != 0; ++p) {
    const int found = usable_key(key, kMaxKeyLength) ? FindEntry(icb, kExactMode, key) : kNotFound;
    if (found == kTreeBroken) return kDbNoSpace;
    const int kind = found >= 0 ? static_cast<int>(icb.search.word_b & 0xFF) : -1;
    int status = kDbOk;
    if (kind == kRelationKind) {
      return insert_key(icb, key, static_cast<uint32_t>(*p), kGroupContinues, p + 1);
    }
    if (kind == kBitmapKind) {
      const uint32_t pointer = static_cast<uint32_t>(*p);
      status = pointer > kMaxPointer ? kDbDuplicate : insert_into_bitmap(icb, pointer);
    } else {
      status = insert_key(icb, key, static_cast<uint32_t>(*p), kGroupFlag, nullptr);
    }
    if (status != kDbOk) return status;
  }
  return kDbOk;
}

int find_match(Icb& icb, const char* key) {
  MatchState& m = icb.match;
  m.finished = true;
  if (!usable_key(key, kMaxMatchKeyLength)) return kDbNotFound;
  if (FindEntry(icb, kHeadMode, key) < 0) return kDbNotFound;
  copy_text(m.key, sizeof m.key, key);
  m.page = icb.search.page;
  m.offset = icb.search.offset;
  m.finished = false;
  return kDbOk;
}

int next_match(Icb& icb, char* tail) {
  MatchState& m = icb.match;
  if (m.finished) return kDbBadHandle;
  const uint32_t limit = chain_limit(icb);
  uint32_t steps = 0;
  for (uint32_t page = m.page; page != 0 && steps <= limit; ++steps) {
    uint8_t* b = ReadPage(*icb.fcb, page, steps == 0 ? "TOVR_dbNextMatch" : "TOVR_dbNextMatch2");
    if (b == nullptr || !key_page_ok(b)) break;
    Entry e;
    const char* rest = nullptr;
    for (int offset = m.offset; entry_at(b, offset, &e); offset += e.size()) {
      if (!head_match(e.key, m.key, &rest)) continue;
      if (tail != nullptr) {
        // The caller's buffer holds a longest key; a damaged entry may run on past that.
        const std::size_t n = strnlen(rest, kMaxKeyLength);
        std::memcpy(tail, rest, n);
        tail[n] = '\0';
      }
      m.page = page;
      m.offset = offset + e.size();
      return kDbOk;
    }
    page = PageRef(b).forward();
    m.page = page;
    m.offset = 0;
  }
  m.finished = true;
  return -1;
}

}  // namespace tovr
