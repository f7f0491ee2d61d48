// Loading a rules file into a new rules block.
#pragma once

#include "matcher/match_types.h"

namespace tovr {

// Loads rules_file for the match key mk_name of the control block's match key service,
// listing errors on the console and in message_file (when named). Returns the family's
// status; *out is the new block on status 0 and null otherwise.
int load_rules(const MatchControl& mc, const char* rules_file, const char* mk_name,
               const char* message_file, Rules** out);

}  // namespace tovr
