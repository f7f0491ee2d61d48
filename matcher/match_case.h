// Cases: the scores of one match key record against every candidate of a list, and the
// ranking that hands them out best first.
#pragma once

#include "matcher/match_types.h"

namespace tovr {

MatchCase* new_case();         // null when memory runs out
void free_case(MatchCase* c);  // with its chunks and markers; null does nothing

// Prepares a case for a new run over list with rules; its chunks and markers are kept.
void reset_case(MatchCase& c, const Rules* rules, const CandBlock* list);

// Score entry of candidate index + 1.
ScoreEntry& score_entry(const MatchCase& c, int index);

// Scores every candidate of the case's list with the case's rules against the match key
// record in the rules' working buffer, and finds the best. False when memory runs out.
bool score_candidates(MatchCase& c, const MatchControl& mc);

// Candidate number of rank r (from 1): totals from highest to lowest, equal totals in
// increasing candidate number. The ranking is built on the first request.
int ranked_candidate(MatchCase& c, int rank);

}  // namespace tovr
