// The match key side of a case, read once before its candidates are scored: for each match
// definition of the common single-value types, its weights, its match key value trimmed and
// tested as the comparison reads it, and what the comparison derives from that value alone
// (the day number of a date, the character pattern of an UNCERT value). Candidates are then
// scored against the prepared values without the generic comparison layers.
#pragma once

#include <cstdint>

#include "matcher/compare.h"
#include "matcher/rules_types.h"

namespace tovr {

// How a prepared definition is scored.
enum class PreparedKind : std::int16_t {
  kGeneric,      // through field_weight
  kOutside,      // the candidate field lies outside the record: always the middle weight
  kChar,         // CHAR
  kUncert,       // UNCERT
  kDate8,        // DATE8
  kSingleValue,  // another single-value type, straight to compare_values
  kDoubleRange,  // D_INT
};

struct PreparedDef {
  PreparedKind kind = PreparedKind::kGeneric;
  Weights w;
  Text mk;  // as the comparison reads it (UNCERT: without blanks on either side)
  bool mk_missing = false;
  int cand_start = 0;
  int cand_length = 0;
  long long mk_days = 0;  // DATE8
  IntervalValue number;   // D_INT
  bool wide = false;      // D_INT: every candidate end lies 8 or more bytes into the record
  int pattern = -1;       // UNCERT: the pattern slot of mk, -1 for none
};

// UNCERT definitions with a pattern of their own; further ones build no pattern and are
// scored by the plain form of the comparator.
inline constexpr int kPatternSlots = 8;

struct PreparedKey {
  PreparedDef def[kDefinitionSlots];
  std::uint64_t pattern[kPatternSlots][kPatternEntries];
};

// Reads the match key record of rules into key, for candidate records of record_length
// characters.
void prepare_key(const Rules& rules, int record_length, const CompareContext& ctx,
                 PreparedKey& key);

// The weight of definition v of rules for one candidate record; the same as field_weight.
std::int16_t prepared_weight(const PreparedKey& key, int v, const MatchDef& def,
                             const char* mk_record, const char* cand_record, int record_length,
                             CompareContext& ctx);

}  // namespace tovr
