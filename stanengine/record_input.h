// Reading one input record (getInput): lines, fixed-size and delimited records, several lines
// per record, line and record delimiters, clean-up and interactive mode; the record's text goes
// into the input area through the per-line format tables (input_layout.h).
//
// Choices where the reading rules leave room:
// - A line delimiter turns one physical line into the record's lines; the last line of the
//   record keeps every part that is left, so no text is dropped, and missing lines are empty.
// - A record whose input ends after its first line is complete with the lines read; a
//   fixed-size record that comes out short at the end of the input is taken as it is.
// - A NUL byte of binary input cannot be carried by the texts that follow and becomes a blank.
// - With an item delimiter, a line (or, with the multi-line item flag, a record) that has
//   fewer items than column entries to feed is refused (29); extra items are ignored. Items
//   are cut or blank-padded to their entry's length. A line taken whole has its item
//   delimiters replaced by blanks.
// - SKIP n reads and drops the first n records; they count as records read, as TEST does.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Room of the caller's input area and original record: 1024 characters and a terminator.
inline constexpr int kInputAreaMax = 1024;

// Reads the next record. Returns 0, 10 when the test count is reached, an end-of-input code
// (5, 6, 7) with an empty input area, 2 when the input file cannot be opened or a read of it
// fails (the input area then empty), or 8, 29, 34 after a message.
int get_input(Stan& stan, char* area, char* original);

}  // namespace tovr
