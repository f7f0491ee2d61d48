// Plain twins of the query result sets for the tests: std::set evaluations of a compiled
// program, one with true set semantics (for programs without "#") and one that follows the
// forms and the segments a complement covers.
#pragma once

#include <cstdint>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "index/QueryProgram.h"

namespace tovr::test {

// The record pointers stored under a key, and how: absent, a single pointer or a relation
// (read as a list, in the order given), or a bitmap.
struct StoredSet {
  enum Kind { kAbsent, kList, kBitmap } kind = kAbsent;
  std::vector<uint32_t> values;
};
using StoredSets = std::map<std::string, StoredSet>;

// What reading a result gives: the record numbers in order, or {-1} for the universe.
using Reading = std::vector<int32_t>;

// True set semantics; the program must hold no "#".
Reading plain_evaluation(const QueryProgram& program, const StoredSets& sets);

// The result set semantics: a complement covers the segments the set occupies.
Reading modelled_evaluation(const QueryProgram& program, const StoredSets& sets);

// The segment-wise semantics: the program runs once for segment 0 and once for every
// other segment in which some term has data (a bitmap has data in each segment up to its
// highest); a complement covers the segment being read.
Reading segmented_evaluation(const QueryProgram& program, const StoredSets& sets);

// The most bitmaps the program holds at once.
int stack_need(const QueryProgram& program);

// Random sets over `segments` segments for the keys k0 .. k(n-1).
StoredSets random_sets(unsigned seed, int n, uint32_t segments);

// A random expression over k0 .. k(n-1) with at most `terms` terms; with_not adds "#".
std::string random_expression(unsigned seed, int n, int terms, bool with_not);

}  // namespace tovr::test
