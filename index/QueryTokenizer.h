// The tokens of a query text: one-character operators and key terms.
//
//   operators  ( ) & / | # ! $ =   where | is read as / and ! as #
//   terms      an unquoted term runs from any other non-blank character to the next blank
//              or operator; a quoted term runs between double quotes and may hold blanks
//              and operator characters
//   suffixes   + marks a partial term, ? a similar term; a backslash divides head and tail
//
// Two adjacent terms are joined by an "&" token of their own.
// A term may be empty ("" or a lone ?): it names no stored key and selects nothing.
#pragma once

#include <cstdint>

#include "index/QueryProgram.h"

namespace tovr {

struct QueryToken {
  char op;           // kTermOp for a term, else the operator character after mapping
  uint8_t mode;      // TermMode of a term
  int pos;           // 0-based index of the token's first character in the text
  XrefEntry* index;  // the sequence a term searches, set when selectors are resolved
  char key[kMaxTermKey + 1];

  bool is_term() const { return op == kTermOp; }
};

struct QueryTokens {
  int count = 0;
  QueryToken tokens[kMaxQueryTokens];
};

// Cuts text into tokens. Returns 0, or for a text that cannot be cut the 0-based index of
// the offending character: the 80th character of a term's key, the first character of a
// 101st token, or the end of the text for a quote left open.
int tokenize_query(const char* text, QueryTokens* out);

}  // namespace tovr
