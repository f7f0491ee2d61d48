// The key tree's search state kept in an index handle between the search for a key and the
// insertion or deletion that follows it.
#pragma once

#include <cstdint>

#include "index/KeyCode.h"

namespace tovr {

inline constexpr int kMaxKeyLength = 83;       // longest key stored in an entry
inline constexpr int kMaxMatchKeyLength = 79;  // longest key of a head search or query term
inline constexpr int kMaxTreeDepth = 33;       // a 32-bit code walks at most 33 levels

// The nodes visited from the root (nodes[0] = node 3) down to a leaf at nodes[depth - 1].
struct TreePath {
  uint32_t nodes[kMaxTreeDepth];
  int depth;
};

struct SearchState {
  KeyCodes codes;   // codes of the last key searched
  TreePath path;    // path of the last walk
  uint32_t bucket;  // first key page of the leaf reached (0 = empty leaf)
  uint32_t page;    // current key page
  uint32_t second;  // second page of an insertion (overflow or split partner), 0 = none
  int offset;       // offset of the current entry in the data area of page
  uint32_t word_a;  // pointer-set words of the current entry
  uint32_t word_b;
};

// The last key found by an exact search, so that a repeated search of the same key goes
// straight to its entry.
struct LastKey {
  bool valid;
  char key[kMaxKeyLength + 1];
  uint32_t page;
  int offset;
  uint32_t bucket;
  TreePath path;
};

// State of a head search (TOVR_dbFindMatch / TOVR_dbNextMatch).
struct MatchState {
  bool finished;
  char key[kMaxMatchKeyLength + 1];
  uint32_t page;
  int offset;
};

}  // namespace tovr
