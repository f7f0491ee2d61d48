// The per-line format tables: which format entries each line of an input record feeds, and
// how long the laid-out part of the input area is.
//
// How the lines of a record are distributed over the format entries:
// - A column piece, literal or newline entry is fed by one line: the first line of its LINE
//   range; an entry written without LINE takes the line of the entry before it in its
//   process's chain, and the first entry of a chain without LINE takes line 1. Further lines
//   of a range feed it nothing.
// - Each fed entry writes its piece at its own offset in the input area (column pieces cut
//   or blank-padded to their length), so every process finds its pieces where the layout put
//   them; an entry whose line the record lacks stays blank.
// - A line that feeds no entry, or that the range of a LINE-only entry covers, goes whole
//   (with its line end) into the area behind the laid-out pieces.
// - With an item delimiter, the column entries fed by a line take that line's items in entry
//   order. When the multi-line item flag is set, the column entries of the whole record take
//   the items of all its lines, line after line. Literal and newline entries take no item.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Room of a list of entries fed by one line; a record has at most kFormatEntries - 1 entries.
inline constexpr int kMaxLineFormats = 20;

struct LineFormats {
  short count;  // entries fed by the line
  short first;  // the first of them; 0 when none
  short list[kMaxLineFormats];
};

struct InputLayout {
  short area_length;                 // laid-out part of the input area
  short entry_line[kFormatEntries];  // the line that feeds each entry; 0 for LINE-only entries
};

// Builds the tables from the format entries of the compiled standardizer.
void build_input_layout(const Stan& stan, InputLayout& layout);

// The entries fed by line (1-based).
void line_formats(const Stan& stan, const InputLayout& layout, int line, LineFormats& out);

// True when a LINE-only entry's range covers the line.
bool line_taken_whole(const Stan& stan, int line);

// The engine's tables live in the last work buffer of the block.
InputLayout& input_layout(Stan& stan);

}  // namespace tovr
