// Placing the first operand: fixed positions, newline positioning and the loop heads of a
// floating first operand.
//
// Newline positioning counts line ends by the tokens' line numbers: counted from the left,
// `%` k `n` places the matching on the first token after the k-th line end of the text (a
// token of line k + 1 or later); counted from the right, `#` `n` places it on the first token
// of the last line that holds tokens, and `%` -k `n` on the first token of the line k - 1
// lines before that one.
#include <cstdlib>

#include "stanengine/run_steps.h"

namespace tovr {
namespace {

bool is_run_operand(const Pattern& p, int k) {
  return (p.kind[k] == kOperandUnknownRun || p.kind[k] == kOperandNumericAlpha) &&
         p.negation[k] == 0 && p.single[k] == 0;
}

bool is_special(int bound) { return bound >= kRangeC || bound <= kRangeMinusN + 1; }

bool has_range(const Pattern& p, int k) {
  const int a = p.range[k][0];
  const int b = p.range[k][1];
  return !(a == 0 && b == 0) && a != kBoundNotGiven && a != kNumberNotGiven;
}

// A run of "?" tokens counts as one occurrence when it has the length the operand asks for:
// exactly k tokens for a numeric alpha class k, at least k for -k, and enough tokens for the
// bounds of a range.
bool run_qualifies(const Pattern& p, int k, int length) {
  if (p.kind[k] == kOperandNumericAlpha) {
    const int d = p.range[k][0];
    return d > 0 ? length == d : length >= -d;
  }
  if (!has_range(p, k)) return true;
  int need = 1;
  for (int bound : p.range[k]) {
    if (is_special(bound)) continue;
    const int n = std::abs(bound);
    if (n > need) need = n;
  }
  return length >= need;
}

int previous_visible(const RunState& r, int i, int floor) {
  for (--i; i >= floor; --i) {
    if (r.tokens[i].TokenClass != kNullClass) return i;
  }
  return -1;
}

// The tokens of the run that begins at i: the index after it and its length.
int forward_run(const RunState& r, int i, int* length) {
  *length = 0;
  while (i < r.count) {
    const char cls = r.tokens[i].TokenClass;
    if (cls != kNullClass) {
      if (cls != '?') break;
      ++*length;
    }
    ++i;
  }
  return i;
}

Next from_left(RunState& r, int want) {
  const Pattern& p = *r.pat;
  const bool runs = is_run_operand(p, 0);
  int seen = 0;
  for (int i = visible_from(r, r.pos); i < r.count;) {
    if (runs && r.tokens[i].TokenClass == '?') {
      int length = 0;
      const int end = forward_run(r, i, &length);
      if (run_qualifies(p, 0, length) && ++seen == want) {
        r.pos = i;
        return Next::kNext;
      }
      i = visible_from(r, end);
      continue;
    }
    if (accepts(r, 0, r.tokens[i]) && ++seen == want) {
      r.pos = i;
      return Next::kNext;
    }
    i = visible_from(r, i + 1);
  }
  return Next::kFail;
}

Next from_right(RunState& r, int want) {
  const Pattern& p = *r.pat;
  const bool runs = is_run_operand(p, 0);
  const int floor = visible_from(r, r.pos);
  int seen = 0;
  for (int i = previous_visible(r, r.count, floor); i >= 0;) {
    if (runs && r.tokens[i].TokenClass == '?') {
      int start = i;
      int length = 1;
      for (int j = previous_visible(r, i, floor); j >= 0 && r.tokens[j].TokenClass == '?';
           j = previous_visible(r, j, floor)) {
        start = j;
        ++length;
      }
      if (run_qualifies(p, 0, length) && ++seen == want) {
        r.pos = start;
        return Next::kNext;
      }
      i = previous_visible(r, start, floor);
      continue;
    }
    if (accepts(r, 0, r.tokens[i]) && ++seen == want) {
      r.pos = i;
      return Next::kNext;
    }
    i = previous_visible(r, i, floor);
  }
  return Next::kFail;
}

}  // namespace

Next fixed_position(RunState& r, bool right) {
  if (r.pat == nullptr) return Next::kFail;
  const int want = std::abs(static_cast<int>(r.pat->fixed_position));
  if (want == 0) return Next::kFail;
  return right ? from_right(r, want) : from_left(r, want);
}

Next newline_position(RunState& r, bool right) {
  if (r.pat == nullptr) return Next::kFail;
  const int k = r.pat->newline_position;
  int target = k + 1;
  if (right) {
    const int last = previous_visible(r, r.count, 0);
    if (last < 0) return Next::kFail;
    target = r.tokens[last].TokenLine - (std::abs(k) - 1);
    if (target < 1) return Next::kFail;
  }
  for (int i = visible_from(r, 0); i < r.count; i = visible_from(r, i + 1)) {
    if (r.tokens[i].TokenLine >= target) {
      r.pos = i;
      return Next::kNext;
    }
  }
  return Next::kFail;
}

// Reached in sequence, a loop head starts the first operand at the current token (from the
// left) or at the last token (from the right); reached again through a fail address it moves
// the start past the tokens the operand bound, or by one token when it bound none.
Next loop_head(RunState& r, bool right) {
  const Binding& b = r.bind[0];
  int start = 0;
  if (!right) {
    if (!r.resumed || r.float_start < 0) {
      start = visible_from(r, r.pos);
    } else {
      start = visible_from(r, b.count > 0 ? b.token[b.count - 1] + 1 : r.float_start + 1);
    }
    if (start >= r.count) return Next::kFail;
  } else {
    if (!r.resumed || r.float_start < 0) {
      start = previous_visible(r, r.count, 0);
    } else {
      start = previous_visible(r, b.count > 0 ? b.token[0] : r.float_start, 0);
    }
    if (start < 0) return Next::kFail;
  }
  r.float_start = static_cast<short>(start);
  r.pos = start;
  reset_binding(r.bind[0], start);
  return Next::kNext;
}

}  // namespace tovr
