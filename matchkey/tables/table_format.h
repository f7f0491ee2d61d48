// The text format of table files: the optional header line and the cutting of a data line
// into fields.
#pragma once

#include "matchkey/tables/table_registry.h"

namespace tovr {

// Bytes of one line read: at most 253 characters and the terminator, so the rest of a longer
// line is read as a line of its own.
inline constexpr int kTableLineRead = kTblMaxCell + 1;

// Settings of a table file, as the header line leaves them.
struct TableFormat {
  long key = 1;  // 1-based key column
  char separator = ' ';
  char sort = 'Y';  // 'Y' sort after loading, 'S' already sorted, 'N' unsorted
  char comment = ';';
  char compare = '\0';  // comparison mode given by the header, NUL when none
};

// A field of a line: its first character and its length (not terminated in the line).
struct FieldSpan {
  const char* start;
  int length;
};

// True when line begins with the header marker (any case).
bool is_header_line(const char* line);

// Reads the keyword/value pairs of a header line into format; kTblOk or kTblHeaderError.
int parse_header_line(const char* line, TableFormat* format);

// Cuts a data line into at most kTblMaxFields fields. *count is 0 when the line is not a row
// (empty, or a comment). Returns kTblOk, kTblTooLarge for a row of more fields, or
// kTblBadContent for a double quote inside an unquoted field.
int split_row(const char* line, const TableFormat& format, FieldSpan fields[kTblMaxFields],
              int* count);

}  // namespace tovr
