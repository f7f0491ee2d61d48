// Compiles resolved query tokens into the postfix program (shunting-yard).
//
// Precedence, highest first: "#" (prefix, unary), "&", then "/" and "$" (equal, left to
// right). Parentheses group.
#pragma once

#include "index/QueryProgram.h"
#include "index/QueryTokenizer.h"

namespace tovr {

// Widens a term that is not exact, right after it was appended as the program's last
// entry: it may turn the term into an empty one and append further terms joined by "/".
class TermExpander {
 public:
  virtual ~TermExpander() = default;
  // Returns 0, or kProgramFull when the program has no room for the widened term.
  virtual int expand(QueryProgram& program, int entry) = 0;
};

// Returns 0, the 1-based position of an unmatched parenthesis, or kProgramFull. expander
// may be null: every term is then searched as written.
int compile_query(const QueryTokens& tokens, QueryProgram* program, TermExpander* expander);

}  // namespace tovr
