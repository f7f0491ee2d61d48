// Helpers of the query tests: stand-in sequences for selectors, and the compiled program
// written out as text ("a b & c /"; an empty term as "~key", a term on another sequence
// as "key@NAME").
#pragma once

#include <string>

#include "index/QueryParser.h"

namespace tovr::test {

class FakeIndexes {
 public:
  Icb* base() { return as_icb(&base_); }
  Icb* city() { return as_icb(&city_); }
  Icb* zip() { return as_icb(&zip_); }

  // Resolves CITY and ZIP (any case); the stand-ins are never dereferenced.
  static Icb* resolve(const char* name, void* context);

  QuerySources sources(TermExpander* expander = nullptr) {
    return QuerySources{base(), &FakeIndexes::resolve, this, expander};
  }
  std::string name_of(const Icb* icb) {
    if (icb == city()) return "CITY";
    if (icb == zip()) return "ZIP";
    return icb == base() ? "" : "?";
  }

 private:
  static Icb* as_icb(void* p) { return static_cast<Icb*>(p); }
  long base_ = 0;
  long city_ = 0;
  long zip_ = 0;
};

std::string program_text(const QueryProgram& program, FakeIndexes& indexes);

// True when the program leaves exactly one set on a stack and never takes from an empty one.
bool well_formed(const QueryProgram& program);

}  // namespace tovr::test
