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
  return 300 * (common - half) / common + 300 * common / lb + 300 * common / la;
}

// Both values of 1 to 64 characters.
int similarity_score_bits(Text a, Text b) {
  const int la = a.length;
  const int lb = b.length;
  const auto* ua = reinterpret_cast<const unsigned char*>(a.data);
  const auto* ub = reinterpret_cast<const unsigned char*>(b.data);
  // Only the entries of characters that occur in a or b are cleared and read.
  std::uint64_t where[256];
  for (int i = 0; i < la; ++i) where[ua[i]] = 0;
  for (int j = 0; j < lb; ++j) where[ub[j]] = 0;
  for (int j = 0; j < lb; ++j) where[ub[j]] |= 1ULL << j;

  // The window of position i is [i - window, i + window): below_end holds the positions
  // below its end, before_start those below its start. Positions past b's end never occur
  // in where, so the end needs no clipping. The common characters of a are kept in order in
  // common_a; those of b are the positions taken.
  const int window = window_of(la, lb);
  std::uint64_t below_end = (1ULL << window) - 1;
  std::uint64_t before_start = 0;
  std::uint64_t taken_b = 0;
  unsigned char common_a[kBitsMax];
  int common = 0;
  for (int i = 0; i < la; ++i) {
    const std::uint64_t open = where[ua[i]] & below_end & ~before_start & ~taken_b;
    taken_b |= open & (0 - open);
    common_a[common] = ua[i];
    common += open != 0;
    below_end = (below_end << 1) | 1;
    if (i >= window) before_start = (before_start << 1) | 1;
  }
  if (common == 0) return 0;

  int out_of_order = 0;
  for (int k = 0; k < common; ++k) {
    out_of_order += common_a[k] != ub[std::countr_zero(taken_b)];
    taken_b &= taken_b - 1;
  }
  return score_of(common, out_of_order, la, lb);
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
  const int score = similarity_score(mk, cand, ctx.marks);
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
