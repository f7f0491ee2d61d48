// The steps of a standardizer compile after the last line of the file. Each returns false
// when the compile must end, after it has printed its message.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Loads each process's classification file as table "ClsTbl<n>" into the table registry of
// the match key control block.
bool load_class_tables(Stan& stan);

// Without KEYORDER, every process with a dictionary of its own names a key, in process order.
bool set_default_key_names(Stan& stan);

// Loads each distinct process dictionary as a match key layout, reads its field names and
// lengths, and measures the KEYORDER keys that belong to no process. Every length loaded is
// added to *total_key_length (when given).
bool load_dictionaries(Stan& stan, short* total_key_length);

// Gives each MOVE field item the first process whose match key has the field.
bool resolve_move_fields(Stan& stan);

// Compiles the pattern file of every process; false when the compile failed or any pattern
// line was in error.
bool compile_patterns(Stan& stan);

}  // namespace tovr
