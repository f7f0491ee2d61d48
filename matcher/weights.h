// Agreement, disagreement and middle weights of a match definition, and the names of the
// comparison types as a rules file writes them.
#pragma once

#include <cstdint>

#include "matcher/rules_types.h"

namespace tovr {

struct WeightSet {
  std::int16_t agree = 0;
  std::int16_t disagree = 0;
  std::int16_t middle = 0;
};

// Weights in hundredths of a bit from the probabilities m (agreement among matches) and
// u (agreement among non-matches), both strictly between 0 and 1.
WeightSet compute_weights(float m, float u);

// Type code of a MATCH type operand, matched by its leading characters (case-sensitive);
// 0 when no type name begins the operand.
std::int16_t find_compare_type(const char* operand);

// As find_compare_type, over the types that an ARRAY may compare its items with.
std::int16_t find_element_type(const char* operand);

// Types compared as text: trailing blanks dropped, never missing by code N. Asked once per
// comparison, so it is defined here where the comparisons inline it.
inline bool is_text_type(std::int16_t type) {
  return type == kChar || type == kUncert || type == kPrefix || type == kLrChar ||
         type == kLrUncert;
}

}  // namespace tovr
