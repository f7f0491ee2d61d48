// The record-pointer set of a key entry, in whichever of its three forms: a single pointer
// held in the entry, a relation, or a bitmap. These routines work on the entry found by the
// last FindEntry and rewrite its words when the set changes form:
//   single -> relation when a second pointer arrives;
//   relation -> bitmap when its pointer count exceeds the record-count value;
//   bitmap -> relation when its count falls below 75;
//   relation -> single when one pointer is left.
#pragma once

#include <cstdint>

#include "index/Icb.h"

namespace tovr {

// Pointers are positive 32-bit record numbers.
inline constexpr uint32_t kMaxPointer = 0x7FFFFFFFu;

// InsertDirect: adds a second pointer to a single-pointer entry. 0, 9 or 12.
int InsertDirect(Icb& icb, uint32_t pointer);

// InsertIndirect: adds pointer to the entry's relation, then the zero-terminated `group`
// (may be null) without duplicate checks; turns the relation into a bitmap when it has
// grown past the record-count value. 0, 9 or 12.
int InsertIndirect(Icb& icb, uint32_t pointer, const int* group);

// Adds pointer to the entry's bitmap. 0, 9 or 12.
int insert_into_bitmap(Icb& icb, uint32_t pointer);

// Removes pointer from the entry's relation or bitmap, changing the set's form as it
// shrinks. 0, 8, 9, or 18 when a bitmap became a relation.
int remove_from_set(Icb& icb, uint32_t pointer);

// Releases the relation or bitmap named by an entry's words a and b. 0 or 9.
int release_set(Icb& icb, uint32_t a, uint32_t b);

}  // namespace tovr
