// Field comparisons: the weight of one match definition for one candidate record.
//
// A comparison yields a weight between the definition's disagreement and agreement weights,
// or the middle weight when a value is missing. Partial weights are integer arithmetic with
// truncation toward zero. Comparisons allocate nothing: the string comparator works in
// marker space that the caller hands over in the context.
#pragma once

#include <array>
#include <cstdint>

#include "matcher/field_values.h"
#include "matcher/mt_messages.h"
#include "matcher/rules_types.h"

namespace tovr {

// Set up once per candidate and handed to every comparison of that candidate.
struct CompareContext {
  std::int16_t base_year = 1900;
  std::int16_t pivot = 93;
  std::int16_t freq_mode = 0;
  const char* mode_word = mt_text::kModeRegular;  // kModeArray while items are compared
  std::int16_t reverse = 0;
  std::int16_t side = 0;  // 0 none, 1 left, 2 right; kept from one variable to the next
  std::int16_t mk_missing = 0;
  std::int16_t cand_missing = 0;
  std::int16_t both_missing = 0;
  float position = 50.0f;
  std::int16_t assigned = 0;
  // Marker space of the string comparator: at least the two values' lengths together.
  char* marks = nullptr;
  int marks_size = 0;
};

inline constexpr std::int16_t kSideNone = 0;
inline constexpr std::int16_t kSideLeft = 1;
inline constexpr std::int16_t kSideRight = 2;

// The weights a comparison works with: a reverse definition swaps agreement and
// disagreement, so that agreeing values give the disagreement weight.
struct Weights {
  std::int16_t agree = 0;
  std::int16_t disagree = 0;
  std::int16_t middle = 0;
};
inline Weights weights_of(const MatchDef& def) {
  if (def.reverse != 0) return Weights{def.disagree, def.agree, def.middle};
  return Weights{def.agree, def.disagree, def.middle};
}

// The weight of def for a candidate record of record_length characters, reading the match
// key values from mk_record. A candidate field that does not lie wholly inside the record
// counts as missing.
std::int16_t field_weight(const MatchDef& def, const char* mk_record, const char* cand_record,
                          int record_length, CompareContext& ctx);

// One match key value against one candidate value by one of the single-value types (CHAR,
// PREFIX, UNCERT, NUM, ABS, PRORAT, TIME, DELTA, DATE8, DATE6, CNT), missing test included.
std::int16_t compare_values(std::int16_t type, const MatchDef& def, const Weights& w, Text mk,
                            Text cand, CompareContext& ctx);

// The string comparator's similarity of two values, 0 to 900 (900 for equal values); the
// values are taken as they are. Needs a.length + b.length bytes of marker space (used only
// for values over 64 characters).
int similarity_score(Text a, Text b, char* marks);
// The same score by the plain character-by-character walk, always in the marker space.
int similarity_score_plain(Text a, Text b, char* marks);

// The bit-parallel form in two steps, for a value a that meets many values b: the pattern of
// a (for every character, the word of its positions in a) is built once, then scored against
// each b. Both values of 1 to 64 characters; where must be right for every character of b.
inline constexpr int kPatternEntries = 256;
void build_pattern(Text a, std::uint64_t* where);
int score_by_pattern(const std::uint64_t* where, Text a, Text b);

// n / d rounded down, for 0 <= n < 65536 and 1 <= d <= 64, by a multiplication with the
// divisor's reciprocal instead of a division: the reciprocal is rounded up by less than
// 2^-32 * d, so n times the error stays below 1/64 and never reaches the next whole number.
// The string comparator divides by lengths and counts of at most 64 characters.
inline constexpr int kSmallDivisorMax = 64;
inline int quotient_small(int n, int d) {
  static constexpr auto kReciprocal = [] {
    std::array<std::uint64_t, kSmallDivisorMax + 1> r{};
    for (int k = 1; k <= kSmallDivisorMax; ++k) r[k] = (std::uint64_t{1} << 32) / k + 1;
    return r;
  }();
  return static_cast<int>((static_cast<std::uint64_t>(n) * kReciprocal[d]) >> 32);
}

// Shared arithmetic, exposed for the comparison files.
namespace weight_math {

// trunc(p), kept within +-2^30 so that tolerances and products stay in range.
inline long long truncate(float p) {
  constexpr float kLimit = 1073741824.0f;  // 2^30
  if (!(p == p)) return 0;
  if (p >= kLimit) return 1073741824LL;
  if (p <= -kLimit) return -1073741824LL;
  return static_cast<long long>(p);
}

// A weight kept between the disagreement and the agreement weight.
inline std::int16_t bounded(const Weights& w, long long weight) {
  const long long low = w.agree < w.disagree ? w.agree : w.disagree;
  const long long high = w.agree < w.disagree ? w.disagree : w.agree;
  if (weight < low) weight = low;
  if (weight > high) weight = high;
  return static_cast<std::int16_t>(weight);
}

// A + (D - A) * d / t, never beyond D.
std::int16_t prorated(const Weights& w, long long d, long long t);

// A for d = 0, the prorated weight for d < trunc(P) + 1, else D.
std::int16_t by_tolerance(const Weights& w, long long d, float param);

}  // namespace weight_math

// Missing test of a pair of values; sets the context's missing flags. Every comparison of
// every candidate asks it, so it is defined here, where the comparisons inline it.
inline bool pair_missing(Text mk, char mk_code, Text cand, char cand_code, bool numeric,
                         CompareContext& ctx) {
  const bool a = is_missing(mk, mk_code, numeric);
  const bool b = is_missing(cand, cand_code, numeric);
  ctx.mk_missing = a && !b;
  ctx.cand_missing = b && !a;
  ctx.both_missing = a && b;
  return a || b;
}

std::int16_t uncert_weight(const MatchDef& def, const Weights& w, Text mk, Text cand,
                           CompareContext& ctx);
// The UNCERT weight of a similarity score (0 to 900), for values that are not equal.
std::int16_t uncert_weight_of_score(const MatchDef& def, const Weights& w, int score);
std::int16_t interval_weight(const MatchDef& def, const Weights& w, Text x, Text low, Text high,
                             bool parity, CompareContext& ctx);
std::int16_t double_interval_weight(const MatchDef& def, const Weights& w, Text x,
                                    const Text cand[4], CompareContext& ctx);
// The match key number of an interval comparison, tested and read once for both ranges of
// a D_INT, or once for every candidate of a case.
struct IntervalValue {
  bool missing = false;
  Reading reading;
};
IntervalValue interval_value(const MatchDef& def, Text x);
// With wide, the eight bytes that end where each candidate value ends are readable, so that
// short numbers can be read as one word.
std::int16_t double_interval_weight(const MatchDef& def, const Weights& w,
                                    const IntervalValue& value, const Text cand[4], bool wide,
                                    CompareContext& ctx);
std::int16_t int_to_int_weight(const MatchDef& def, const Weights& w, Text mk_low, Text mk_high,
                               Text cand_low, Text cand_high, CompareContext& ctx);
std::int16_t distance_weight(const MatchDef& def, const Weights& w, Text x1, Text y1, Text x2,
                             Text y2, CompareContext& ctx);
std::int16_t array_weight(const MatchDef& def, const Weights& w, const char* mk_record,
                          const char* cand_record, int record_length, CompareContext& ctx);

// Day number of a DATE8 (YYYYMMDD) or DATE6 (YYMMDD) value; 0 when a part is not numeric.
long long day_number(Text v, bool eight_digits, const CompareContext& ctx);

}  // namespace tovr
