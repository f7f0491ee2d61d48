// Helpers that the actions share: writing a match key field, reading one, and the value of a
// user variable as an action target.
#pragma once

#include "stanengine/run_state.h"

namespace tovr {

// Writes text into a field of the process's match key (TOVR_mkSet), sets the field-written
// flag and writes the trace line when the debug flag is set. False after the match key
// message, with status 19.
bool write_field(RunState& r, const char* field, const char* text);

// Reads a field of the process's match key with its blanks trimmed. False after the match
// key message, with status 20.
bool read_field(RunState& r, int process, const char* field, char* value);

// The value slot of the action's target user variable; null when its name is not in the
// table (the action then writes nothing).
char* target_variable(RunState& r, const PatternAction& a);

// Actions of the three kinds with their own files.
bool retype_action(RunState& r, const PatternAction& a);
bool convert_action(RunState& r, const PatternAction& a);

}  // namespace tovr
