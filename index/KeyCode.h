// Key coding: every key is routed through the key tree by a fixed-width code computed from
// its head (the bytes before the first backslash). Two methods exist: a phonetic sound code
// (16 bits) and a Pearson hash (16 or 32 bits).
#pragma once

#include <cstdint>

namespace tovr {

inline constexpr uint32_t kSoundCodeMethod = 1;
inline constexpr uint32_t kPearsonMethod = 2;

// How a sequence codes its keys, taken from its index header page.
struct KeyCoding {
  uint32_t method = kPearsonMethod;  // kSoundCodeMethod or kPearsonMethod
  uint32_t width = 16;               // width stored in the header: 16 or 32

  // The sound code has no 32-bit form. New sequences never combine it with width 32 (the
  // combination is refused at creation); a file that carries it anyway is walked with the
  // 16-bit code over 16 tree levels, and every coding reports that the long form is missing.
  bool long_soundex() const { return method == kSoundCodeMethod && width == 32; }
  int walk_width() const { return long_soundex() ? 16 : static_cast<int>(width); }
};

struct KeyCodes {
  uint16_t short_code = 0;  // the 16-bit code
  uint32_t walk_code = 0;   // the code whose bits the tree walk tests (walk_width bits)
};

// Pearson hash of a key's head, 16 and 32 bits.
uint16_t pearson16(const char* key);
uint32_t pearson32(const char* key);
// Sound code of a key's head (16 bits).
uint16_t sound_code(const char* key);

// Codes a key by the sequence's method and width.
KeyCodes code_key(const KeyCoding& coding, const char* key);

}  // namespace tovr
