// The grammar check of a query's tokens and the resolution of its index selectors.
//
// Grammar: the first token is a term, "(" or "#"; "#" and "(" never follow a term or ")";
// "&", "/", "$" and ")" follow a term or ")"; "=" follows a term; a term never follows
// ")"; the last token is a term or ")".
//
// Selectors: NAME = term searches the term in the open sequence NAME; NAME = ( ... )
// searches every term of the group there. Other terms search the sequence being queried.
#pragma once

#include "index/QueryTokenizer.h"

namespace tovr {

// Returns 0, or the 1-based position of the first character of the offending token (1 for
// a text without tokens).
int check_query_grammar(const QueryTokens& tokens);

// Finds the cross-reference entry of a selector name whose sequence is open; null when
// there is none.
using IndexResolver = XrefEntry* (*)(const char* name, void* context);

// The resolver over the process-wide cross-reference table: the entry of that name,
// compared without regard to case, when its sequence is open.
XrefEntry* resolve_open_index(const char* name, void* context);

// Gives every term its index and removes the selector names and their "=". Returns 0, or
// the 1-based position of a name that names no open sequence, of a "(" that opens a
// fifteenth level, or of a ")" that closes none.
int resolve_selectors(QueryTokens* tokens, XrefEntry* base, IndexResolver resolver, void* context);

}  // namespace tovr
