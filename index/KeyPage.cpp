#include "index/KeyPage.h"

#include <cstring>

namespace tovr {

bool key_page_ok(const uint8_t* page) {
  PageRef p(const_cast<uint8_t*>(page));
  return p.type() == kKeyPage && p.used() <= kPageData;
}

bool entry_at(const uint8_t* page, int offset, Entry* e) {
  const int used = PageRef(const_cast<uint8_t*>(page)).used();
  if (offset < 0 || offset >= used || used > kPageData) return false;
  const uint8_t* data = page + kPageHeader;
  const void* end = std::memchr(data + offset, 0, static_cast<std::size_t>(used - offset));
  if (end == nullptr) return false;
  const int length = static_cast<int>(static_cast<const uint8_t*>(end) - (data + offset));
  if (length == 0 || offset + length + kEntryOverhead > used) return false;
  e->key = reinterpret_cast<const char*>(data + offset);
  e->length = length;
  e->offset = offset;
  e->a = load_u32(data + offset + length + 1);
  e->b = load_u32(data + offset + length + 5);
  return true;
}

int append_entry(uint8_t* page, const char* key, int length, uint32_t a, uint32_t b) {
  PageRef p(page);
  const int used = p.used();
  if (used + length + kEntryOverhead > kPageData) return -1;
  uint8_t* at = p.data() + used;
  std::memcpy(at, key, static_cast<std::size_t>(length));
  at[length] = 0;
  store_u32(at + length + 1, a);
  store_u32(at + length + 5, b);
  const int now = used + length + kEntryOverhead;
  p.set_used(static_cast<uint16_t>(now));
  if (now < kPageData) p.data()[now] = 0;
  return used;
}

void remove_entry(uint8_t* page, const Entry& e) {
  PageRef p(page);
  const int used = p.used();
  const int size = e.size();
  uint8_t* at = p.data() + e.offset;
  std::memmove(at, at + size, static_cast<std::size_t>(used - e.offset - size));
  const int now = used - size;
  p.set_used(static_cast<uint16_t>(now));
  p.data()[now] = 0;
}

void set_entry_words(uint8_t* page, const Entry& e, uint32_t a, uint32_t b) {
  uint8_t* at = page + kPageHeader + e.offset + e.length + 1;
  store_u32(at, a);
  store_u32(at + 4, b);
}

bool head_match(const char* stored, const char* searched, const char** tail) {
  int i = 0;
  while (stored[i] == searched[i] && stored[i] != '\0' && stored[i] != '\\') ++i;
  if (stored[i] == '\\') {
    if (tail != nullptr) *tail = stored + i + 1;
    return true;
  }
  if (stored[i] == '\0' && searched[i] == '\0') {
    if (tail != nullptr) *tail = stored + i;
    return true;
  }
  return false;
}

}  // namespace tovr
