// Evaluates a compiled query at once into a result set. Terms are pushed unloaded and read
// from their index only when an operator (or the end) needs them.
#pragma once

#include "index/QueryProgram.h"
#include "index/ResultSet.h"

namespace tovr {

// Reads the record pointers of one term into a fresh result set.
class TermLoader {
 public:
  virtual ~TermLoader() = default;
  // Fills out (an empty list in the normal state) with the term's set: the empty state for
  // an absent key, a list for a single pointer or a relation, a bitmap for a bitmap. False
  // when the index could not be read. Throws std::bad_alloc when memory runs out.
  virtual bool load(const ProgramEntry& term, ResultSet& out) = 0;
};

// The result of the program, ready for reading and made with make<>, or null when the
// program is empty or malformed or a term could not be read. Throws std::bad_alloc when
// memory runs out; nothing is left allocated then.
ResultSet* evaluate_to_result(const QueryProgram& program, TermLoader& loader);

}  // namespace tovr
