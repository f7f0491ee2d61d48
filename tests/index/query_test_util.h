// Helpers of the query tests: stand-in sequences for selectors, and the compiled program
// written out as text ("a b & c /"; an empty term as "~key", a term on another sequence
// as "key@NAME").
#pragma once

#include <string>

#include "index/IndexTables.h"
#include "index/QueryParser.h"

namespace tovr::test {

class FakeIndexes {
 public:
  XrefEntry* base() { return &base_; }
  XrefEntry* city() { return &city_; }
  XrefEntry* zip() { return &zip_; }

  // Resolves CITY and ZIP (any case).
  static XrefEntry* resolve(const char* name, void* context);

  QuerySources sources(TermExpander* expander = nullptr) {
    return QuerySources{base(), &FakeIndexes::resolve, this, expander};
  }
  std::string name_of(const XrefEntry* icb) {
    if (icb == city()) return "CITY";
    if (icb == zip()) return "ZIP";
    return icb == base() ? "" : "?";
  }

 private:
  XrefEntry base_{};
  XrefEntry city_{};
  XrefEntry zip_{};
};

std::string program_text(const QueryProgram& program, FakeIndexes& indexes);

// True when the program leaves exactly one set on a stack and never takes from an empty one.
bool well_formed(const QueryProgram& program);

}  // namespace tovr::test
