// UNCERT: a string comparator that counts the characters two values have in common within a
// window and the common characters that stand out of order, and turns the resulting
// similarity (0 to 900) into a weight between PARAM and 900.
#include <cstring>

#include "matcher/compare.h"

namespace tovr {

int similarity_score(Text a, Text b, char* marks) {
  const int la = a.length;
  const int lb = b.length;
  if (la == 0 || lb == 0) return 0;
  char* in_a = marks;
  char* in_b = marks + la;
  std::memset(marks, 0, static_cast<std::size_t>(la + lb));

  int window = (la > lb ? la : lb) / 2 - 1;
  if (window < 2) window = 2;

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
  const int half = out_of_order / 2;
  return 300 * (common - half) / common + 300 * common / lb + 300 * common / la;
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
