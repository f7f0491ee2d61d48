// Segment-wise reading of record-pointer sets for the query engine: LoadSeg pushes one
// segment (8064 record numbers) of a key's set onto the handle's segment stack, whatever
// form the set has, and tells where the set's next data lies. With NextBit (the stack's
// next_bit) the engine reads a query's result one segment at a time, holding at most five
// segment bitmaps.
#pragma once

#include <cstdint>

#include "index/SegmentStack.h"

namespace tovr {

struct Icb;

// The handle's segment stack, allocated on first use (empty); null when out of memory.
SegmentStack* segment_stack(Icb& icb);
void release_segment_stack(Icb& icb);

// LoadSeg: pushes segment k of the set named by an entry's words A and B:
//   single pointer: an empty bitmap, with the pointer's bit when it lies in segment k;
//   relation: the bits of the pointers of segment k (the whole chain is read);
//   bitmap: a copy of segment k's page. *word_a must then name that page ("LoadSeg" is the
//     caller name of its read) and is moved on to the next page of the chain.
// *next_segment receives the next segment after k holding data: for a single pointer or a
// relation the smallest segment beyond k with a pointer, for a bitmap k + 1 while the chain
// goes on; 0 when there is none. False when a page could not be read, the set is of no
// known kind, or the stack is full (nothing is pushed then).
bool LoadSeg(Icb& icb, uint32_t* word_a, uint32_t word_b, uint32_t k, SegmentStack& stack,
             uint32_t* next_segment);

}  // namespace tovr
