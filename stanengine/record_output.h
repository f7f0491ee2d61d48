// What one record leaves behind: an output line per process in the output file, the match
// keys in key order, and the auxiliary output text.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

// Writes key followed by area as one output line: a final control character or DEL becomes
// the line feed, else one is appended; with an output record length L the line is padded
// with blanks before its line feed to L characters. Nothing when the output file is not open.
// Lines longer than one file message are handed over in pieces, so a line is never cut.
void write_output_line(Stan& stan, const char* key, int key_length, const char* area);

// Appends, for each key name in key order, the key record of the first process whose name
// equals it (or whose dictionary file name begins with it), or as many blanks as the key's
// length when no process has it.
void build_output_keys(const Stan& stan, char* keys);

// Appends the auxiliary output items when an auxiliary output file is named. Returns 0, or
// 20 after the match key message when a field cannot be read.
int build_aux_text(const Stan& stan, char* aux, const char* original);

// Prints the match key service's text for a status code as a console line.
void print_mk_message(int code);

}  // namespace tovr
