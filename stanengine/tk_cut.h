// The state machine that cuts a text into tokens by the character kinds of the block.
#pragma once

#include "stanengine/tk_block.h"

namespace tovr {

// Marks every separator character "T", then every strip character "W" when already "T"
// and "S" otherwise; line feed and carriage return are "W" whatever the lists say.
void set_tk_kinds(Tokenizer& block, const char* separators, const char* strip);

// Sets the kinds of every character of the two lists back to ordinary. Line feed and
// carriage return stay "W".
void clear_tk_kinds(Tokenizer& block, const char* separators, const char* strip);

// Cuts text into list (room for kTkMaxTokens) and stores the number of tokens in *count.
// Words are unclassified (class NUL); separator tokens carry their class. Returns
// kTkTooManyTokens, with *count untouched, when the text holds more tokens than the room.
int cut_tk_text(const Tokenizer& block, const char* text, bool upper, Token* list, int* count);

}  // namespace tovr
