// Segment-wise evaluation of a compiled query on the handle's segment stack: the program is
// run once per segment of 8064 record numbers, each term pushing its bitmap of that segment,
// and the set bits of the result are handed out in ascending order. Segments in which no
// term has data are skipped: the next segment read is the smallest one in which some term
// still has data. At most five bitmaps are held; a program that needs more is refused.
#pragma once

#include "index/Icb.h"

namespace tovr {

// TOVR_dbList: evaluates the program for segment 0. 0, or -2 when a page could not be read
// or the segment stack overflowed (the evaluation is then over).
int list_query(Icb& icb);

// TOVR_dbGetNext: the next record number, -1 at the end (reported once), -2 when no
// evaluation is going on or a page could not be read.
int next_listed(Icb& icb);

// TOVR_dbFind: makes key a one-term program and loads its segment 0. 0, 7 when the key is
// absent (or cannot be read), 13 when memory runs out.
int find_key(Icb& icb, const char* key);

}  // namespace tovr
