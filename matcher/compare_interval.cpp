// Interval comparisons: a number against a candidate's range (INTERVAL_NO, INTERVAL_PAR),
// against a left and a right range (D_INT), a range against a range (INT_TO_INT), and the
// distance of two points (DISTANCE).
#include <cmath>
#include <initializer_list>

#include "matcher/compare.h"

namespace tovr {
namespace {

struct Range {
  long long low = 0;
  long long high = 0;
};

// Takes the ends of a range and fills an absent end from the other by the mode: with
// ZERO_VAL a blank end is absent, with ZERO_NUL a high end of 0. A high end that is not
// numeric reads as -1. False when both ends are absent.
bool read_range(const Reading& low, const Reading& high, std::int16_t mode, Range* out) {
  out->low = low.value;
  out->high = high.numeric ? high.value : -1;
  if (mode == kZeroVal) {
    if (low.blank && high.blank) return false;
    if (low.blank) out->low = out->high;
    if (high.blank) out->high = out->low;
  } else if (mode == kZeroNul) {
    if (out->low == 0 && out->high == 0) return false;
    if (out->high == 0) out->high = out->low;
  }
  return true;
}

float percent_of(long long part, long long whole) {
  const float share = static_cast<float>(part) / static_cast<float>(whole);
  return static_cast<float>(static_cast<double>(share) * 100.0);
}

}  // namespace

IntervalValue interval_value(const MatchDef& def, Text x) {
  return IntervalValue{is_missing(x, def.mk_missing, true), read_value(x)};
}

namespace {

// A range end: with wide, the eight bytes that end where the value ends are readable.
Reading read_end(Text v, bool wide) {
  Reading r;
  if (wide && read_short_number(v, &r)) return r;
  return read_value(v);
}

std::int16_t weight_in_range(const MatchDef& def, const Weights& w, const IntervalValue& x,
                             Text low, Text high, bool parity, bool wide, CompareContext& ctx) {
  // Each value is read once; the tests below use its reading. By code S the value is
  // missing when it is blank, which the reading tells.
  const Reading low_reading = read_end(low, wide);
  const bool low_missing =
      def.cand_missing == 'S' ? low_reading.blank : is_missing(low, def.cand_missing, true);
  ctx.mk_missing = x.missing && !low_missing;
  ctx.cand_missing = low_missing && !x.missing;
  ctx.both_missing = x.missing && low_missing;
  if (x.missing || low_missing) return w.middle;
  Range r;
  if (!read_range(low_reading, read_end(high, wide), def.mode, &r)) return w.middle;
  const Reading& x_reading = x.reading;
  const long long value = x_reading.value;
  if (def.mode == kZeroVal && x_reading.blank) return w.middle;
  if (def.mode == kZeroNul && value == 0) return w.middle;

  const bool swapped = r.high < r.low;
  if (swapped) {
    const long long t = r.low;
    r.low = r.high;
    r.high = t;
  }
  if (low_reading.numeric && x_reading.numeric) {
    if (value < r.low) {
      ctx.position = 0.0f;
      return w.disagree;
    }
    if (value <= r.high) {
      if (parity && (value - r.low) % 2 != 0) return w.disagree;
      if (r.high != r.low) {
        const float position = percent_of(value - r.low, r.high - r.low);
        ctx.position = swapped ? 100.0f - position : position;
      }
      return w.agree;
    }
  }
  ctx.position = r.low <= value ? 100.0f : 0.0f;
  return w.disagree;
}

}  // namespace

std::int16_t interval_weight(const MatchDef& def, const Weights& w, Text x, Text low, Text high,
                             bool parity, CompareContext& ctx) {
  return weight_in_range(def, w, interval_value(def, x), low, high, parity, false, ctx);
}

std::int16_t double_interval_weight(const MatchDef& def, const Weights& w, Text x,
                                    const Text cand[4], CompareContext& ctx) {
  return double_interval_weight(def, w, interval_value(def, x), cand, false, ctx);
}

std::int16_t double_interval_weight(const MatchDef& def, const Weights& w,
                                    const IntervalValue& value, const Text cand[4], bool wide,
                                    CompareContext& ctx) {
  const std::int16_t left = weight_in_range(def, w, value, cand[0], cand[1], false, wide, ctx);
  if (left > w.middle) {
    ctx.side = kSideLeft;
    return left;
  }
  const std::int16_t right = weight_in_range(def, w, value, cand[2], cand[3], false, wide, ctx);
  if (right > w.middle) ctx.side = kSideRight;
  return right;
}

std::int16_t int_to_int_weight(const MatchDef& def, const Weights& w, Text mk_low, Text mk_high,
                               Text cand_low, Text cand_high, CompareContext& ctx) {
  if (pair_missing(mk_low, def.mk_missing, cand_low, def.cand_missing, true, ctx)) {
    return w.middle;
  }
  Range a;
  Range b;
  if (!read_range(read_value(mk_low), read_value(mk_high), def.mode, &a) ||
      !read_range(read_value(cand_low), read_value(cand_high), def.mode, &b)) {
    return w.middle;
  }
  for (Range* r : {&a, &b}) {
    if (r->high < r->low) {
      const long long t = r->low;
      r->low = r->high;
      r->high = t;
    }
  }
  return (b.low <= a.high && a.low <= b.high) ? w.agree : w.disagree;
}

std::int16_t distance_weight(const MatchDef& def, const Weights& w, Text x1, Text y1, Text x2,
                             Text y2, CompareContext& ctx) {
  if (pair_missing(x1, def.mk_missing, x2, def.cand_missing, true, ctx)) return w.middle;
  if (!is_numeric(x1) || !is_numeric(y1) || !is_numeric(x2) || !is_numeric(y2)) {
    return w.middle;
  }
  const double dx = static_cast<double>(read_number(x1) - read_number(x2));
  const double dy = static_cast<double>(read_number(y1) - read_number(y2));
  if (dx == 0.0 && dy == 0.0) return w.agree;
  const long long d = static_cast<long long>(std::sqrt(dx * dx + dy * dy));
  const long long t = weight_math::truncate(def.param) + 1;
  return d < t ? weight_math::prorated(w, d, t) : w.disagree;
}

}  // namespace tovr
