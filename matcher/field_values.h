// Field values as the comparisons see them: a piece of a record, its missing-value test and
// its reading as a number.
#pragma once

namespace tovr {

// A value: length characters at data, not terminated.
struct Text {
  const char* data = "";
  int length = 0;
};

// Every character is a blank (true for an empty value).
bool is_blank(Text v);

// The value is missing by its code: S all blanks, Z all blanks or zeros, N a negative
// number (numeric comparisons only), 9 all nines; X and anything else never.
bool is_missing(Text v, char code, bool numeric_comparison);

// Every character is a digit, a blank, a minus sign or a point.
bool is_numeric(Text v);

// Every character is a digit or a blank (the count fields of arrays).
bool is_count_numeric(Text v);

// The decimal integer at the start: leading blanks, an optional sign, then digits up to the
// first other character. Beyond 32 bits the reading stays at the largest 32-bit value, so
// that the weight arithmetic on two readings never overflows.
long long read_number(Text v);

// Without its trailing blanks; a value of blanks only keeps one.
Text trim_trailing(Text v);

// Without its leading blanks.
Text trim_leading(Text v);

// The piece of a record of record_length characters at (start, length); false when the
// piece does not lie wholly inside the record.
bool record_piece(const char* record, int record_length, int start, int length, Text* out);

}  // namespace tovr
