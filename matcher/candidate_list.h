// Candidate lists: fixed-length records in a chain of blocks (50 slots, then 20 a block),
// numbered from 1 in the order in which they were added. Emptying a list keeps its blocks.
#pragma once

#include <cstdint>

#include "matcher/match_types.h"

namespace tovr {

// A new empty list with its first block; null when memory runs out.
CandBlock* new_list(std::int16_t record_length);

// Releases every block of the list; null does nothing.
void free_list(CandBlock* list);

// Empties the list and frees every slot; the blocks stay for the next use.
void empty_list(CandBlock* list);

enum class AppendResult { kOk, kNoMemory, kFull };

// Appends a copy of record: its characters up to record_length or up to its terminator,
// whichever comes first, with blanks after a shorter record. The search for a free slot
// starts at the control block's insertion cache when that belongs to this list.
AppendResult append_candidate(MatchControl& mc, CandBlock* list, const char* record);

// Record of candidate k (from 1), terminated; null when the list holds no such candidate.
// With a control block, the search starts at its insertion cache when k lies at or after it.
const char* candidate_record(const MatchControl* mc, const CandBlock* list, int k);

}  // namespace tovr
