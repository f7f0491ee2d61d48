// The front end of TOVR_dbParse: tokenize, check the grammar, resolve the index selectors
// and compile to the postfix program, widening the terms that are not exact on the way.
#pragma once

#include "index/QueryCompiler.h"
#include "index/QueryGrammar.h"

namespace tovr {

struct QuerySources {
  XrefEntry* base;         // the sequence searched by terms outside any selector
  IndexResolver resolver;  // finds the sequences named by selectors
  void* context;           // handed to resolver
  TermExpander* expander;  // may be null: terms are then searched as written
};

// Compiles text into program. Returns 0; kProgramFull; or the position of the error: the
// 0-based index of the offending character for a text that cannot be cut into tokens, the
// 1-based position of the offending token otherwise. Positions above 0xFFFD are reported
// as 0xFFFD. On any error the program is left empty.
int parse_query(const char* text, const QuerySources& sources, QueryProgram* program);

}  // namespace tovr
