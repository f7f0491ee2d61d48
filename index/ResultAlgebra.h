// The set algebra of query result sets.
//
//   #  empty <-> universe; any other set has its complement pending (twice: none)
//   /  an empty operand drops out; a universe operand makes the universe
//   &  an empty operand makes the empty set; a universe operand drops out
//   $  an empty operand drops out; a universe operand drops out and complements the other
//
// Otherwise the operands are combined after normalisation (a pending complement is carried
// out over the segments the set occupies): two lists merge as ascending streams, two
// bitmaps combine segment by segment, and a list meets a bitmap by setting ("/"), flipping
// ("$") or testing ("&", giving a list) its bits in the bitmap.
#pragma once

#include "index/ResultSet.h"

namespace tovr {

void complement_set(ResultSet& s);

// lower = lower op upper; upper is released. op is "&", "/" or "$".
void combine_sets(ResultSet& lower, ResultSet& upper, char op);

// An empty set becomes an empty list; a pending complement is carried out: a list becomes
// a bitmap, then every byte of every allocated segment is inverted (absent segments stay
// absent).
void normalise_set(ResultSet& s);

// Makes a finished set ready for reading: the pending complement is carried out and a list
// is sorted for its merge.
void prepare_for_reading(ResultSet& s);

}  // namespace tovr
