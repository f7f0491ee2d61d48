// One run: a process's compiled program over its part of one record.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Tokenizes text into the process's token list (unless an earlier process of the record
// tokenized the same input, whose tokens are then classified again with this process's
// table), runs the program and its post actions, and copies the match key record into the
// process's key buffer. Returns 0 or the status code of the first error, after its message.
//
// Searches that failed are remembered for the rest of their pattern attempt and not run
// again (search_memo.cpp); kExhaustive runs every one of them again, and finds the same
// matches, only slower.
enum class SearchMode { kRememberFailures, kExhaustive };
int run_process(Stan& stan, int process, const char* text, bool tokenized,
                SearchMode search_mode = SearchMode::kRememberFailures);

}  // namespace tovr
