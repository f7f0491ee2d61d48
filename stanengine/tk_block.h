// The tokenizer block and the helpers that its operations share.
#pragma once

#include <cstdint>

#include "stanengine/tokenizer.h"

namespace tovr {

// Character kinds of the current separator and strip lists.
inline constexpr char kKindOrdinary = 0;
inline constexpr char kKindSeparator = 'T';  // ends a word and is a token of its own
inline constexpr char kKindStrip = 'S';      // deleted, even inside words
inline constexpr char kKindBoundary = 'W';   // ends a word and is dropped

struct Tokenizer {
  Token* lists[kTkLists];
  int16_t counts[kTkLists];
  char kinds[256];  // indexed by character code
};

inline bool tk_valid_table(int table) { return table >= 0 && table < kTkLists; }

// The list of that number, allocated with room for kTkMaxTokens tokens when it has none;
// null when memory runs out.
Token* tk_list_room(Tokenizer& block, int table);

}  // namespace tovr
