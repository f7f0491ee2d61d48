// The format entries after the last line: merging of repeated pieces and the layout of the
// input area.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// A process whose chain of column entries repeats, entry for entry, the chain of an earlier
// process (same lines, start columns and lengths, no literals) is given that earlier chain,
// and its own entries are removed, so that the piece is read once. Whole chains only: the
// engine cuts a process's text as one run of the input area from its first entry on, so a
// chain must stay a run of consecutive entries.
void merge_format_entries(Stan& stan);

// Every entry of non-zero length gets one more byte, for the blank that follows its piece;
// offsets run from 1, each entry following the one before. Sets the format entry count.
void lay_out_input_area(Stan& stan);

}  // namespace tovr
