// Searches known to fail. Without them a pattern whose operands float tries every placement
// of its floated operands before it fails: with seven floats before a class the record lacks,
// every way of choosing seven of thirty tokens.
//
// A search (a floated operand, or `**` with operands after it) that is entered in sequence
// at a token runs the rest of the pattern from there: its own tries and, for each, the tests
// of every later operand, which go back to it when they fail. Whether that ends in a match or
// back at the search's own fail address depends on nothing but the operand and that token:
// - a search binds at least one token before any later test runs, so an end-of-line test and
//   a `**` that searches on never look behind it;
// - value lists and conditions read their own operand, match key fields and user variables,
//   and neither tokens, fields nor variables change while a pattern is being matched (the
//   actions run only after the match);
// - every later operand is cleared before it binds again.
// So once such a search has failed, entering it again at the same token in the same pattern
// attempt fails the same way, and it fails at once instead: the order of the tries, the first
// match found and its bindings stay those of the full search. A run error (a run of unknown
// words too long, a condition that cannot be evaluated) ends the run, so a search that
// failed met none, and none is skipped.
//
// What the failed search leaves behind is read in one place only: a `**` before it that
// searches on starts behind the last token bound by any operand, including the bindings the
// failed search left to its own and later operands. Those are kept with the failure (the
// operands it rewrote, and the last token of each) and put back when it fails at once.
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

short last_token(const Binding& b) { return b.count > 0 ? b.token[b.count - 1] : short{-1}; }

bool valid_entry(const RunState& r, int k, int at) {
  return r.remember_failed_searches && k >= 0 && k < kMaxOperands && at >= 0 && at <= kMaxRunTokens;
}

}  // namespace

void new_search_attempt(RunState& r) {
  SearchMemo& m = r.memo;
  m.clock = 0;
  for (int k = 0; k < kMaxOperands; ++k) {
    m.rewrite_time[k] = 0;
    m.entry_time[k] = 0;
    m.entry[k] = -1;
    m.failed_at[k] = 0;
  }
}

bool search_known_to_fail(RunState& r, int k, int at) {
  if (!valid_entry(r, k, at)) return false;
  SearchMemo& m = r.memo;
  if ((m.failed_at[k] & (std::uint32_t{1} << at)) == 0) return false;
  const FailedSearch& f = m.failed[k][at];
  for (int o = k; o < kMaxOperands; ++o) {
    if ((f.rewritten & (1u << o)) == 0) continue;
    Binding& b = r.bind[o];
    b.count = f.last[o] >= 0 ? 1 : 0;
    b.token[0] = f.last[o];
    b.first = 0;
    b.last = static_cast<short>(b.count - 1);
    binding_rewritten(r, o);
  }
  return true;
}

void search_entered(RunState& r, int k, int at) {
  if (!valid_entry(r, k, at)) return;
  r.memo.entry[k] = static_cast<short>(at);
  r.memo.entry_time[k] = r.memo.clock;
}

void search_failed(RunState& r, int k) {
  if (!r.remember_failed_searches || k < 0 || k >= kMaxOperands) return;
  SearchMemo& m = r.memo;
  const int at = m.entry[k];
  if (at < 0 || at > kMaxRunTokens) return;
  FailedSearch& f = m.failed[k][at];
  m.failed_at[k] |= std::uint32_t{1} << at;
  f.rewritten = 0;
  for (int o = k; o < kMaxOperands; ++o) {
    f.last[o] = -1;
    if (o > k && m.rewrite_time[o] <= m.entry_time[k]) continue;
    f.rewritten = static_cast<std::uint8_t>(f.rewritten | (1u << o));
    f.last[o] = last_token(r.bind[o]);
  }
}

}  // namespace tovr
