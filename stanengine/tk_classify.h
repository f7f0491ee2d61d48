// Classification of one token: by the pattern of its characters, then, for words that the
// pattern leaves unknown, by exact and near lookups in the classification table.
#pragma once

#include "stanengine/tk_modes.h"
#include "stanengine/tokenizer.h"

namespace tovr {

// Class of a text by the pattern of its characters: "?" all letters, "^" all digits, "<",
// ">", "@", "~" by the order of letters, digits and other characters, or "!" when the mode
// letter of that class is absent.
char tk_pattern_class(const char* value, const TkModes& modes);

// Classifies a cut token: TokenClose becomes TokenValue and TokenOCR empty; a token that
// has a class keeps it; any other gets its pattern class, and a "?" word is looked up.
int classify_tk_token(TableRegistry* registry, Token& token, const char* cls_table,
                      const TkModes& modes, int prefix);

// Looks a "?" word up in the classification table: exact entry first, then the best near
// entry whose threshold the score reaches. The token stays "?" when neither is found.
int lookup_tk_word(TableRegistry* registry, Token& token, const char* cls_table, int prefix);

}  // namespace tovr
