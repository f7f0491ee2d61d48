// The single-value comparison types and the arithmetic that all types share.
#include <bit>
#include <cmath>
#include <cstdint>
#include <cstring>

#include "matcher/compare.h"
#include "matcher/weights.h"

namespace tovr {

namespace weight_math {

std::int16_t prorated(const Weights& w, long long d, long long t) {
  return bounded(w, w.agree + (static_cast<long long>(w.disagree) - w.agree) * d / t);
}

std::int16_t by_tolerance(const Weights& w, long long d, float param) {
  if (d == 0) return w.agree;
  const long long t = truncate(param) + 1;
  return d < t ? prorated(w, d, t) : w.disagree;
}

}  // namespace weight_math

namespace {

using weight_math::by_tolerance;

long long magnitude(long long v) { return v < 0 ? -v : v; }

bool same_text(Text a, Text b) {
  return a.length == b.length &&
         std::memcmp(a.data, b.data, static_cast<std::size_t>(a.length)) == 0;
}

bool is_prefix_pair(Text a, Text b) {
  const Text& shorter = a.length <= b.length ? a : b;
  const Text& longer = a.length <= b.length ? b : a;
  return std::memcmp(shorter.data, longer.data, static_cast<std::size_t>(shorter.length)) == 0;
}

// hhmm as minutes after midnight.
long long minutes(long long hhmm) { return hhmm / 100 * 60 + hhmm % 100; }

std::int16_t time_weight(const Weights& w, Text a, Text b, float param) {
  // Readings that are not times of one day are first taken modulo a day, so the distance
  // across midnight always lies between 0 and 720 minutes.
  long long d = magnitude(minutes(read_number(a)) - minutes(read_number(b))) % 1440;
  if (d > 720) d = 1440 - d;
  return by_tolerance(w, d, param);
}

std::int16_t delta_weight(const Weights& w, Text a, Text b, float param) {
  const long long x = read_number(a);
  const long long y = read_number(b);
  const long long smaller = x < y ? x : y;
  if (smaller == 0) return w.disagree;
  // The difference in percent of the smaller value; a negative smaller value counts by its
  // size, so that two negative amounts are compared like two positive ones.
  const long long numerator =
      (static_cast<long long>(w.disagree) - w.agree) * magnitude(x - y) * 100;
  const long long denominator = magnitude(smaller) * (weight_math::truncate(param) + 1);
  if (denominator == 0) return w.disagree;
  return weight_math::bounded(w, w.agree + numerator / denominator);
}

std::int16_t date_weight(const Weights& w, Text a, Text b, bool eight, float param,
                         const CompareContext& ctx) {
  const long long d = magnitude(day_number(a, eight, ctx) - day_number(b, eight, ctx));
  return by_tolerance(w, d, param);
}

// Positions 1 to the longer length where the values differ or one has ended.
std::int16_t count_weight(const Weights& w, Text a, Text b, float param) {
  const int shorter = a.length < b.length ? a.length : b.length;
  const int longer = a.length + b.length - shorter;
  long long differ = longer - shorter;
  int i = 0;
  // Eight positions at a time: a byte of the difference word is not zero exactly when
  // adding 0x7F to its low seven bits or its own high bit sets its high bit.
  constexpr std::uint64_t kLow7 = 0x7F7F7F7F7F7F7F7FULL;
  for (; i + 8 <= shorter; i += 8) {
    std::uint64_t x = 0;
    std::uint64_t y = 0;
    std::memcpy(&x, a.data + i, sizeof x);
    std::memcpy(&y, b.data + i, sizeof y);
    const std::uint64_t diff = x ^ y;
    differ += std::popcount((((diff & kLow7) + kLow7) | diff) & ~kLow7);
  }
  for (; i < shorter; ++i) differ += a.data[i] != b.data[i];
  return by_tolerance(w, differ, param);
}

}  // namespace

std::int16_t compare_values(std::int16_t type, const MatchDef& def, const Weights& w, Text mk,
                            Text cand, CompareContext& ctx) {
  const bool text = is_text_type(type);
  if (text) {
    mk = trim_trailing(mk);
    cand = trim_trailing(cand);
  }
  if (pair_missing(mk, def.mk_missing, cand, def.cand_missing, !text, ctx)) return w.middle;
  switch (type) {
    case kChar:
      return same_text(mk, cand) ? w.agree : w.disagree;
    case kPrefix:
      return is_prefix_pair(mk, cand) ? w.agree : w.disagree;
    case kUncert:
      return uncert_weight(def, w, mk, cand, ctx);
    case kNum:
      if (!is_numeric(mk) || !is_numeric(cand)) return w.middle;
      return read_number(mk) == read_number(cand) ? w.agree : w.disagree;
    case kAbs:
      return magnitude(read_number(mk) - read_number(cand)) < weight_math::truncate(def.param) + 1
                 ? w.agree
                 : w.disagree;
    case kProrat:
      return by_tolerance(w, magnitude(read_number(mk) - read_number(cand)), def.param);
    case kTime:
      return time_weight(w, mk, cand, def.param);
    case kDelta:
      return delta_weight(w, mk, cand, def.param);
    case kDate8:
    case kDate6:
      return date_weight(w, mk, cand, type == kDate8, def.param, ctx);
    case kCnt:
      return count_weight(w, mk, cand, def.param);
    default:
      return w.middle;
  }
}

namespace {

// The value of n digits at p, when all n are digits.
bool read_digits(const char* p, int n, long long* value) {
  long long v = 0;
  for (int i = 0; i < n; ++i) {
    if (p[i] < '0' || p[i] > '9') return false;
    v = v * 10 + (p[i] - '0');
  }
  *value = v;
  return true;
}

// The same for eight digits, all eight at once: every character must lie between '0' and
// '9', and the digits are joined pairwise, then by fours, then by eights.
bool read_eight_digits(const char* p, long long* value) {
  if constexpr (std::endian::native != std::endian::little) return read_digits(p, 8, value);
  std::uint64_t x = 0;
  std::memcpy(&x, p, sizeof x);
  constexpr std::uint64_t kZeros = 0x3030303030303030ULL;
  constexpr std::uint64_t kHighNibbles = 0xF0F0F0F0F0F0F0F0ULL;
  // With every high nibble 3, taking '0' off borrows nowhere and leaves each low nibble,
  // and adding 6 to a nibble carries into the high one exactly when the nibble is over 9.
  if ((x & kHighNibbles) != kZeros) return false;
  std::uint64_t d = x - kZeros;
  if (((d + 0x0606060606060606ULL) & kHighNibbles) != 0) return false;
  // The first character is the lowest byte.
  d = (d * 10 + (d >> 8)) & 0x00FF00FF00FF00FFULL;
  d = (d * 100 + (d >> 16)) & 0x0000FFFF0000FFFFULL;
  d = (d * 10000 + (d >> 32)) & 0xFFFFFFFFULL;
  *value = static_cast<long long>(d);
  return true;
}

}  // namespace

long long day_number(Text v, bool eight_digits, const CompareContext& ctx) {
  // Days before each month, February always of 28 days.
  static constexpr int kDaysBefore[13] = {0,   31,  59,  90,  120, 151, 181,
                                          212, 243, 273, 304, 334, 365};
  const int year_digits = eight_digits ? 4 : 2;
  if (v.length < year_digits + 4) return 0;
  long long year = 0;
  long long month = 0;
  long long day = 0;
  // A date written in digits only is read in one pass; any other writing part by part.
  const bool digits =
      eight_digits ? read_eight_digits(v.data, &day) : read_digits(v.data, year_digits + 4, &day);
  if (!digits) {
    const Text year_part{v.data, year_digits};
    const Text month_part{v.data + year_digits, 2};
    const Text day_part{v.data + year_digits + 2, 2};
    if (!is_numeric(year_part) || !is_numeric(month_part) || !is_numeric(day_part)) return 0;
    year = read_number(year_part);
    month = read_number(month_part);
    day = read_number(day_part);
  } else {
    year = day / 10000;
    month = day / 100 % 100;
    day %= 100;
  }
  if (!eight_digits) year = year <= ctx.pivot ? ctx.base_year + year : ctx.base_year - 100 + year;
  long long days = year > 1800 ? 365 * (year - 1800) : 0;
  if (month > 1) days += kDaysBefore[month > 12 ? 12 : month - 1];
  return days + day;
}

}  // namespace tovr
