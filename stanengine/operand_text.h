// Texts of operands, fields and user variables, and substring ranges on them.
#pragma once

#include "stanengine/run_state.h"

namespace tovr {

// True when a range is written (pattern and action ranges use 0 0 or a not-given value
// when none is).
bool range_given(const int range[2]);

// Cuts text in place to the range: positions count from 1, negative positions from the end.
// Alone, the special bounds pick parts of the text: (n) the first run of digits, (-n) the
// last run of digits, (c) the first run of other characters, (-c) the last one; in a pair, n
// and c stand for the last position and -n and -c for the first. A range of two same-signed
// numbers spanning 128 characters or more, or a number reaching position 1024, prints message
// and leaves the text as it is. Ranges on an operand's text use the "user-specified" message,
// ranges on fields and user variables the "user-supplied" one.
void apply_text_range(char* text, const int range[2], const char* message);

// Texts of an operand for the actions: its selected tokens' values joined, or joined by
// blanks, the abbreviation of its only selected token, the table entry of its first one.
// A field operand's text is the field's value; a TEMP conversion replaces joined and spaced.
enum class TextKind { kJoined, kSpaced, kAbbrev, kClose };
void operand_action_text(const RunState& r, int k, TextKind kind, char* out);

// The value of a user variable; null when the table has no such name.
char* user_variable(Stan& stan, const char* name);

}  // namespace tovr
