// Messages of the standardizer file reader in listing form: the message with the number and
// the text of the line being read.
#pragma once

#include "stancomp/stan.h"

namespace tovr {

void list_line(const Stan& stan, const char* message);

// Prints a text alone, as it stands.
void print_text(const char* text);

}  // namespace tovr
