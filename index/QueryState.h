// The query state of an index handle: the program compiled by the last TOVR_dbParse or
// TOVR_dbFind, and where its segment-wise evaluation stands. The segment bitmaps
// themselves lie on the handle's segment stack.
#pragma once

#include <cstdint>

#include "index/QueryProgram.h"

namespace tovr {

struct Icb;

struct QueryState {
  QueryProgram program;
  uint32_t current = 0;  // the segment being read
  uint32_t next = 0;     // the smallest next segment holding data of any term, 0 = none
  // No evaluation is going on: before the first TOVR_dbList or TOVR_dbFind, after a new
  // program, after the end was reported, after an error.
  bool end = true;
};

// The handle's query state, allocated on first use; null when out of memory.
QueryState* query_state(Icb& icb);
// The handle's query state, or null when it has none yet.
QueryState* existing_query_state(Icb& icb);
// Releases the handle's query state; the handle's close calls it.
void release_query_state(Icb& icb);

}  // namespace tovr
