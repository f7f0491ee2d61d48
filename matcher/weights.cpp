#include "matcher/weights.h"

#include <cmath>
#include <cstring>

#include "matcher/mt_messages.h"
#include "matcher/rules_types.h"

namespace tovr {
namespace {

template <std::size_t N>
std::int16_t find_in(const mt_text::TypeName (&table)[N], const char* operand) {
  for (const mt_text::TypeName& t : table) {
    if (std::strncmp(operand, t.name, std::strlen(t.name)) == 0) return t.code;
  }
  return 0;
}

// 100 times the base-2 logarithm of ratio, truncated toward zero and kept within 16 bits.
// The logarithm is taken in extended precision so that ratios just below a whole number of
// hundredths are not rounded up to it.
std::int16_t log_weight(long double ratio) {
  long double w = std::trunc(100.0L * std::log2(ratio));
  if (!(w == w)) return 0;  // NaN
  if (w > 32767.0L) return 32767;
  if (w < -32768.0L) return -32768;
  return static_cast<std::int16_t>(w);
}

}  // namespace

WeightSet compute_weights(float m, float u) {
  const long double lm = m;
  const long double lu = u;
  WeightSet w;
  w.agree = log_weight(lm / lu);
  if (w.agree < 0) w.agree = 0;
  w.disagree = log_weight((1.0L - lm) / (1.0L - lu));
  if (w.disagree > 0) w.disagree = 0;
  w.middle = static_cast<std::int16_t>((w.agree + w.disagree) / 2);
  return w;
}

std::int16_t find_compare_type(const char* operand) {
  return find_in(mt_text::kTypeNames, operand);
}

std::int16_t find_element_type(const char* operand) {
  return find_in(mt_text::kElementNames, operand);
}

}  // namespace tovr
