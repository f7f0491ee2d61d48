#include "matcher/weights.h"

#include <cmath>
#include <cstring>

#include "matcher/rules_types.h"

namespace tovr {
namespace {

struct TypeName {
  const char* name;
  std::int16_t code;
};

// In the order in which a type operand is tried.
constexpr TypeName kTypeNames[] = {
    {"CHAR", kChar},          {"LR_CHAR", kLrChar},
    {"UNCERT", kUncert},      {"LR_UNCERT", kLrUncert},
    {"DATE8", kDate8},        {"DATE6", kDate6},
    {"NUM", kNum},            {"PRORAT", kProrat},
    {"TIME", kTime},          {"DELTA", kDelta},
    {"ABS", kAbs},            {"INTERVAL_NO", kIntervalNo},
    {"INTERVAL_PAR", kIntervalPar}, {"D_INT", kDoubleInterval},
    {"DOUBLE", kDoubleInterval},    {"ARRAY", kArray},
    {"CNT", kCnt},            {"DISTANCE", kDistance},
    {"PREFIX", kPrefix},      {"INT_TO_INT", kIntToInt},
};

constexpr TypeName kElementNames[] = {
    {"CHAR", kChar}, {"UNCERT", kUncert}, {"DATE8", kDate8}, {"DATE6", kDate6},
    {"NUM", kNum},   {"PRORAT", kProrat}, {"TIME", kTime},   {"DELTA", kDelta},
    {"ABS", kAbs},   {"CNT", kCnt},       {"PREFIX", kPrefix},
};

template <std::size_t N>
std::int16_t find_in(const TypeName (&table)[N], const char* operand) {
  for (const TypeName& t : table) {
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

std::int16_t find_compare_type(const char* operand) { return find_in(kTypeNames, operand); }

std::int16_t find_element_type(const char* operand) { return find_in(kElementNames, operand); }

bool is_text_type(std::int16_t type) {
  return type == kChar || type == kUncert || type == kPrefix || type == kLrChar ||
         type == kLrUncert;
}

}  // namespace tovr
