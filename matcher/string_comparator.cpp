// UNCERT: a string comparator that counts the characters two values have in common within a
// window and the common characters that stand out of order, and turns the resulting
// similarity (0 to 900) into a weight between PARAM and 900.
//
// Two forms give the same scores: the plain one walks the window of every character with
// marker bytes; the bit-parallel one keeps, for each character of the second value, a word
// of the positions where it occurs, and takes the first free position in the window with a
// few word operations. Values of up to 64 characters (all names and street words) take the
// bit-parallel form; longer ones the plain form.
#include <bit>
#include <cstdint>
#include <cstring>

#include "matcher/compare.h"

namespace tovr {
namespace {

constexpr int kBitsMax = 64;

int window_of(int la, int lb) {
  const int window = (la > lb ? la : lb) / 2 - 1;
  return window < 2 ? 2 : window;
}

int score_of(int common, int out_of_order, int la, int lb) {
  const int half = out_of_order / 2;
  if (la <= kSmallDivisorMax && lb <= kSmallDivisorMax) {
    return quotient_small(300 * (common - half), common) + quotient_small(300 * common, lb) +
           quotient_small(300 * common, la);
  }
  return 300 * (common - half) / common + 300 * common / lb + 300 * common / la;
}

}  // namespace

int score_by_pattern(const std::uint64_t* where, Text a, Text b) {
  const int la = a.length;
  const int lb = b.length;
  const auto* ua = reinterpret_cast<const unsigned char*>(a.data);
  const auto* ub = reinterpret_cast<const unsigned char*>(b.data);
  // The window of a position j of b holds the positions i of a with i - window <= j <
  // i + window, that is [j - window + 1, j + window], clipped at 0: in_window. Moving to the
  // next position shifts it up by one, keeping position 0 while the start is still below it.
  // Positions past a's end never occur in where, so the end needs no clipping. The common
  // characters of b are kept in order in common_b; those of a are the positions taken. Every
  // character meets the same partner as when a is walked against b's positions, so the score
  // is that of the plain walk.
  const int window = window_of(la, lb);
  std::uint64_t in_window = (1ULL << (window + 1)) - 1;
  std::uint64_t taken_a = 0;
  unsigned char common_b[kBitsMax];
  int common = 0;
  for (int j = 0; j < lb; ++j) {
    const std::uint64_t open = where[ub[j]] & in_window & ~taken_a;
    taken_a |= open & (0 - open);
    common_b[common] = ub[j];
    common += open != 0;
    in_window = (in_window << 1) | static_cast<std::uint64_t>(j + 1 < window);
  }
  if (common == 0) return 0;

  int out_of_order = 0;
  for (int k = 0; k < common; ++k) {
    out_of_order += common_b[k] != ua[std::countr_zero(taken_a)];
    taken_a &= taken_a - 1;
  }
  return score_of(common, out_of_order, la, lb);
}

void build_pattern(Text a, std::uint64_t* where) {
  std::memset(where, 0, sizeof(std::uint64_t) * kPatternEntries);
  const auto* ua = reinterpret_cast<const unsigned char*>(a.data);
  for (int i = 0; i < a.length; ++i) where[ua[i]] |= 1ULL << i;
}

namespace {

// Both values of 1 to 64 characters: only the entries of characters that occur in a or b
// are cleared and read.
int similarity_score_bits(Text a, Text b) {
  const auto* ua = reinterpret_cast<const unsigned char*>(a.data);
  const auto* ub = reinterpret_cast<const unsigned char*>(b.data);
  std::uint64_t where[kPatternEntries];
  for (int i = 0; i < a.length; ++i) where[ua[i]] = 0;
  for (int j = 0; j < b.length; ++j) where[ub[j]] = 0;
  for (int i = 0; i < a.length; ++i) where[ua[i]] |= 1ULL << i;
  return score_by_pattern(where, a, b);
}

}  // namespace

int similarity_score(Text a, Text b, char* marks) {
  if (a.length == 0 || b.length == 0) return 0;
  if (a.length <= kBitsMax && b.length <= kBitsMax) return similarity_score_bits(a, b);
  return similarity_score_plain(a, b, marks);
}

int similarity_score_plain(Text a, Text b, char* marks) {
  const int la = a.length;
  const int lb = b.length;
  if (la == 0 || lb == 0) return 0;
  char* in_a = marks;
  char* in_b = marks + la;
  std::memset(marks, 0, static_cast<std::size_t>(la + lb));

  const int window = window_of(la, lb);

  int common = 0;
  for (int i = 0; i < la; ++i) {
    const int from = i - window > 0 ? i - window : 0;
    const int to = i + window < lb ? i + window : lb;
    for (int j = from; j < to; ++j) {
      if (in_b[j] == 0 && b.data[j] == a.data[i]) {
        in_a[i] = 1;
        in_b[j] = 1;
        ++common;
        break;
      }
    }
  }
  if (common == 0) return 0;

  int out_of_order = 0;
  int j = 0;
  for (int i = 0; i < la; ++i) {
    if (in_a[i] == 0) continue;
    while (in_b[j] == 0) ++j;
    if (a.data[i] != b.data[j]) ++out_of_order;
    ++j;
  }
  return score_of(common, out_of_order, la, lb);
}

std::int16_t uncert_weight(const MatchDef& def, const Weights& w, Text mk, Text cand,
                           CompareContext& ctx) {
  mk = trim_leading(mk);
  cand = trim_leading(cand);
  if (mk.length == cand.length &&
      std::memcmp(mk.data, cand.data, static_cast<std::size_t>(mk.length)) == 0) {
    return w.agree;
  }
  // The context's marker space is sized for the longest values of the rules and records;
  // values that would not fit cannot be judged and count as missing.
  if (mk.length + cand.length > ctx.marks_size) return w.middle;
  return uncert_weight_of_score(def, w, similarity_score(mk, cand, ctx.marks));
}

std::int16_t uncert_weight_of_score(const MatchDef& def, const Weights& w, int score) {
  if (score == 0) return w.disagree;
  const long long above_param = weight_math::truncate(static_cast<float>(score) - def.param);
  const long long span = weight_math::truncate(def.param - 900.0f);
  // A PARAM from 899 up to 900 leaves no room between PARAM and 900 (trunc(PARAM - 900) is
  // 0): then only equal values agree, and every other pair disagrees.
  if (span == 0) return w.disagree;
  return weight_math::bounded(
      w, w.disagree - above_param * (static_cast<long long>(w.agree) - w.disagree) / span);
}

}  // namespace tovr
