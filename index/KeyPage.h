// Entries of a key page (page type 0). The data area holds entries packed from offset 0 in
// insertion order; the header's used count gives the bytes in use and a 0 byte follows the
// last entry when there is room. An entry is
//   key bytes (n), 0, pointer-set word A (u32), pointer-set word B (u32)    = n + 9 bytes
// with the low byte of word B naming the kind of set: 0 single pointer, 1 relation, 2 bitmap.
#pragma once

#include <cstdint>

#include "index/PageLayout.h"

namespace tovr {

inline constexpr int kEntryOverhead = 9;
inline constexpr int kSingleKind = 0;
inline constexpr int kRelationKind = 1;
inline constexpr int kBitmapKind = 2;

struct Entry {
  const char* key;
  int length;  // key bytes
  int offset;  // in the data area
  uint32_t a;
  uint32_t b;
  int size() const { return length + kEntryOverhead; }
  int kind() const { return static_cast<int>(b & 0xFF); }
};

// True when page is a key page whose used count fits its data area.
bool key_page_ok(const uint8_t* page);

// The entry at data offset `offset`; false when no whole entry lies there.
bool entry_at(const uint8_t* page, int offset, Entry* e);

// Appends an entry when used + n + 9 <= 1008; returns its offset, or -1 when it does not fit.
int append_entry(uint8_t* page, const char* key, int length, uint32_t a, uint32_t b);

// Removes the entry at offset, moving the following entries down.
void remove_entry(uint8_t* page, const Entry& e);

// Rewrites the two pointer-set words of the entry at offset.
void set_entry_words(uint8_t* page, const Entry& e, uint32_t a, uint32_t b);

// Head match of a stored key against a searched key: bytes are compared with case while
// equal and neither is 0 nor a backslash; a match when the stored key stops at a backslash,
// or both stop at their ends. *tail (may be null) receives the stored key's text after that
// backslash, or its end.
bool head_match(const char* stored, const char* searched, const char** tail);

}  // namespace tovr
