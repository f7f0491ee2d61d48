// The match control block's bookkeeping: its ten list slots and ten case slots, the run that
// scores a case, and the reading of a case's candidates. Results are the family's status
// codes.
#pragma once

#include <cstdint>

#include "matcher/match_types.h"

namespace tovr {

MatchControl* new_control(TOVR_Mk* mk);  // null when memory runs out
void close_control(MatchControl* mc);    // every list and case, then the block

// An empty list for records of record_length characters: a free list of that length is
// taken again; else a new slot is filled while there are fewer than ten; else
// kTooManyHandles.
int open_list(MatchControl& mc, std::int16_t record_length, CandBlock** out);

// Empties one of the block's lists in use and frees its slot.
int return_list(MatchControl& mc, CandBlock* list);

// Takes a case slot and scores list with rules, whose working buffer holds the match key
// record. On status 0 and 13 *out is the case; otherwise null.
int start_case(MatchControl& mc, const Rules& rules, const CandBlock& list, MatchCase** out);

// Frees the slot of one of the block's cases in use; the case stays for reuse.
int end_case(MatchControl& mc, MatchCase* c);

// Candidate n of a case: n > 0 by number, -1 the best, n < -1 by rank -n. record receives
// the record and a terminator (it is emptied first); the other outputs may be null. A case
// reads the records of its list as the list is now (an emptied list has none left) and
// never its rules, which may be released once the run is over.
int read_candidate(const MatchControl* mc, MatchCase& c, int n, char* record, std::int16_t* weight,
                   char* side, float* position);

}  // namespace tovr
