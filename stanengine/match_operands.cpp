// Operand tests. An operand binds tokens from the current position on (NULL-class tokens are
// stepped over and never bound); a search (a floated operand) skips tokens until one it
// accepts, and when a later test sends matching back to it, it resumes past the tokens it
// bound last time.
#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/record_output.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

void bind_one(RunState& r, int k, int i) {
  Binding& b = r.bind[k];
  b.count = 1;
  b.token[0] = static_cast<short>(i);
  b.first = 0;
  b.last = 0;
  r.pos = i + 1;
}

// Where a search begins: at the current token when reached in sequence, past the tokens the
// operand bound last time when resumed.
int search_start(const RunState& r, int k) {
  const Binding& b = r.bind[k];
  if (!r.resumed) return visible_from(r, r.pos);
  if (b.count > 0) return visible_from(r, b.token[b.count - 1] + 1);
  return visible_from(r, b.start + 1);
}

void clear_binding(RunState& r, int k, int start) { reset_binding(r.bind[k], start); }

bool is_single_token(const Pattern& p, int k) {
  return p.kind[k] != kOperandUnknownRun && p.kind[k] != kOperandNumericAlpha;
}

// The run of "?" tokens that begins at token i, with the single flag, a numeric alpha length
// or no limit. Returns false when the run does not fit the operand; sets the run's error
// when it reaches the most tokens a run may hold.
bool bind_run(RunState& r, int k, int i) {
  const Pattern& p = *r.pat;
  if (r.tokens[i].TokenClass != '?') return false;
  if (p.single[k] != 0) {
    bind_one(r, k, i);
    return true;
  }
  Binding& b = r.bind[k];
  b.count = 0;
  int j = i;
  for (; j < r.count; ++j) {
    const char cls = r.tokens[j].TokenClass;
    if (cls == kNullClass) continue;
    if (cls != '?') break;
    if (b.count == kMaxRunTokens - 1) {
      console_message(engine_text::kAlphaRun);
      r.status = as_status::kAlphaRun;
      return false;
    }
    b.token[b.count++] = static_cast<short>(j);
  }
  b.first = 0;
  b.last = static_cast<short>(b.count - 1);
  if (p.kind[k] == kOperandNumericAlpha) {
    const int d = p.range[k][0];
    if (d > 0 && b.count != d) return false;
    if (d < 0) {
      if (b.count < -d) return false;
      b.first = b.last = static_cast<short>(b.count + d);
    }
  }
  r.pos = j;
  return true;
}

// The stopping test of a `**` that further operands follow: the class of the next operand
// (any token for `&`), or, when that operand is negated, any other class. An operand that
// binds no token gives no stopping token.
enum class Stop { kClass, kAny, kNone };

Stop stop_kind(const Pattern& p, int next) {
  if (next >= p.operand_count || next >= kMaxOperands) return Stop::kNone;
  switch (p.kind[next]) {
    case kOperandClass:
    case kOperandUnknownRun:
    case kOperandNumericAlpha:
      return Stop::kClass;
    case kOperandAnyToken:
      return Stop::kAny;
    default:
      return Stop::kNone;
  }
}

bool stops(const Pattern& p, int next, const Token& t) {
  const bool same = t.TokenClass == p.cls[next];
  return p.negation[next] != 0 ? !same : same;
}

// Where text holds a token's characters followed by a word boundary, for the n-th time.
const char* nth_occurrence(const char* text, const char* value, int n, const char* separators) {
  const std::size_t length = std::strlen(value);
  if (length == 0) return nullptr;
  for (const char* p = text; *p != '\0'; ++p) {
    if (str_nicmp(p, value, static_cast<int>(length)) != 0) continue;
    const char after = p[length];
    const bool boundary = after == '\0' || after == '\t' || after == '\n' || after == '\r' ||
                          std::strchr(separators, after) != nullptr;
    if (boundary && n-- == 0) return p;
  }
  return nullptr;
}

// A token ends a line when only blanks and tabs stand between its characters and a line feed,
// a carriage return or the end of the text (the last line of a text may lack its line end).
bool ends_line(const RunState& r, int i) {
  const Token& t = r.tokens[i];
  int before = 0;
  for (int j = 0; j < i; ++j) {
    if (std::strcmp(r.tokens[j].TokenValue, t.TokenValue) == 0) ++before;
  }
  const char* at = nth_occurrence(r.text != nullptr ? r.text : "", t.TokenValue, before,
                                  r.stan->separator_list[r.process]);
  if (at == nullptr) return false;
  at += std::strlen(t.TokenValue);
  while (*at == ' ' || *at == '\t') ++at;
  return *at == '\n' || *at == '\r' || *at == '\0';
}

int last_bound_token(const RunState& r, int before) {
  int last = -1;
  for (int k = 0; k < before && k < kMaxOperands; ++k) {
    const Binding& b = r.bind[k];
    if (b.count > 0 && b.token[b.count - 1] > last) last = b.token[b.count - 1];
  }
  return last;
}

// Resolves one bound of a token range over count bound tokens; -1 when it reaches outside.
// The special bounds n and c stand for the last bound token, -n and -c for the first.
int resolve_bound(int bound, int count) {
  if (bound == kRangeN || bound == kRangeC) return count - 1;
  if (bound == kRangeMinusN || bound == kRangeMinusC) return count > 0 ? 0 : -1;
  if (bound > 0) return bound <= count ? bound - 1 : -1;
  if (bound < 0) return -bound <= count ? count + bound : -1;
  return -1;
}

}  // namespace

bool accepts(const RunState& r, int k, const Token& token) {
  const Pattern& p = *r.pat;
  if (token.TokenClass == kNullClass) return false;
  if (p.kind[k] == kOperandAnyToken) return true;
  const bool same = token.TokenClass == p.cls[k];
  return p.negation[k] != 0 ? !same : same;
}

void bind_span(RunState& r, int k, int from, int to) {
  Binding& b = r.bind[k];
  b.count = 0;
  for (int i = from; i < to && i < r.count; ++i) {
    if (r.tokens[i].TokenClass != kNullClass && b.count < kMaxRunTokens) {
      b.token[b.count++] = static_cast<short>(i);
    }
  }
  b.first = 0;
  b.last = static_cast<short>(b.count - 1);
}

Next operand_start(RunState& r, int k) {
  clear_binding(r, k, visible_from(r, r.pos));
  binding_rewritten(r, k);
  r.field_text[k][0] = '\0';
  r.universal_stop[k] = -1;
  return Next::kNext;
}

Next token_left(RunState& r) {
  return visible_from(r, r.pos) < r.count ? Next::kNext : Next::kFail;
}

Next class_test(RunState& r, int k, bool search) {
  if (!search) {
    const int i = visible_from(r, r.pos);
    if (i >= r.count || !accepts(r, k, r.tokens[i])) return Next::kFail;
    bind_one(r, k, i);
    return Next::kNext;
  }
  const int from = search_start(r, k);
  clear_binding(r, k, from);
  for (int i = from; i < r.count; i = visible_from(r, i + 1)) {
    if (accepts(r, k, r.tokens[i])) {
      bind_one(r, k, i);
      return Next::kNext;
    }
  }
  return Next::kFail;
}

Next unknown_run_test(RunState& r, int k, bool search) {
  if (r.pat->negation[k] != 0 || is_single_token(*r.pat, k)) return class_test(r, k, search);
  if (!search) {
    const int i = visible_from(r, r.pos);
    if (i >= r.count) return Next::kFail;
    if (bind_run(r, k, i)) return Next::kNext;
    return r.status != as_status::kOk ? Next::kEnd : Next::kFail;
  }
  const int from = search_start(r, k);
  clear_binding(r, k, from);
  for (int i = from; i < r.count; i = visible_from(r, i + 1)) {
    if (bind_run(r, k, i)) return Next::kNext;
    if (r.status != as_status::kOk) return Next::kEnd;
  }
  clear_binding(r, k, from);
  return Next::kFail;
}

// `**` followed by further operands binds the tokens up to the next operand's stopping token.
// Sent back by a later failure, it takes in the tokens bound since and searches on for the
// next stopping token behind them. When the next operand binds no token (a field, a
// condition, an end of line), `**` binds all remaining tokens and cannot search on.
Next universal_search(RunState& r, int k) {
  const Pattern& p = *r.pat;
  const int next = k + 1;
  const Stop kind = stop_kind(p, next);
  Binding& b = r.bind[k];
  int from = b.start;
  if (r.resumed) {
    if (kind == Stop::kNone || r.universal_stop[k] < 0) return Next::kFail;
    int last = r.universal_stop[k];
    const int later = last_bound_token(r, kMaxOperands);
    if (later > last) last = later;
    from = last + 1;
  }
  if (kind == Stop::kNone) {
    bind_span(r, k, b.start, r.count);
    r.universal_stop[k] = -1;
    r.pos = r.count;
    return Next::kNext;
  }
  int j = visible_from(r, from);
  while (j < r.count && kind != Stop::kAny && !stops(p, next, r.tokens[j])) {
    j = visible_from(r, j + 1);
  }
  if (j >= r.count) return Next::kFail;
  bind_span(r, k, b.start, j);
  r.universal_stop[k] = static_cast<short>(j);
  r.pos = j;
  // The later operands bind afresh from here, so that a later failure counts only their new
  // tokens.
  for (int later = next; later < kMaxOperands; ++later) {
    clear_binding(r, later, j);
    binding_rewritten(r, later);
  }
  return Next::kNext;
}

// `**` before an end of line binds the rest of the line that the current token begins.
Next universal_to_line_end(RunState& r, int k) {
  const int first = visible_from(r, r.pos);
  clear_binding(r, k, first);
  if (first >= r.count) return Next::kNext;
  const int line = r.tokens[first].TokenLine;
  int end = first;
  for (int i = first; i < r.count; i = visible_from(r, i + 1)) {
    if (r.tokens[i].TokenLine != line) break;
    end = i + 1;
  }
  bind_span(r, k, first, end);
  r.pos = end;
  return Next::kNext;
}

Next universal_rest(RunState& r, int k) {
  const int first = visible_from(r, r.pos);
  clear_binding(r, k, first);
  bind_span(r, k, first, r.count);
  r.pos = r.count;
  return Next::kNext;
}

Next field_test(RunState& r, int k) {
  const Pattern& p = *r.pat;
  const int process = p.field_process[k];
  if (process < 0 || process >= kMaxProcesses) return Next::kFail;
  char* value = r.field_text[k];
  const int status =
      TOVR_mkGet(r.stan->mk, r.stan->processMatchKey[process], p.field_name[k], value);
  if (status != 0) {
    value[0] = '\0';
    print_mk_message(status);
    r.status = as_status::kMkGet;
    return Next::kEnd;
  }
  str_trim(value);
  if (p.pValue[k] == nullptr) return Next::kNext;
  return value_test(r, k);
}

Next end_of_line_test(RunState& r, int k) {
  const int last = last_bound_token(r, k);
  if (last < 0) return Next::kFail;
  return ends_line(r, last) ? Next::kNext : Next::kFail;
}

// A range selects, among the operand's bound tokens, those from the low to the high bound.
// `**` and runs take ranges alike; a range reached again after a `**` searched on is
// applied to the new bindings.
Next range_test(RunState& r, int k, bool high) {
  Binding& b = r.bind[k];
  const int bound = r.pat->range[k][high ? 1 : 0];
  const int at = resolve_bound(bound, b.count);
  if (at < 0) return Next::kFail;
  if (!high) {
    b.first = static_cast<short>(at);
    if (b.last < b.first) b.last = static_cast<short>(b.count - 1);
    return Next::kNext;
  }
  if (at < b.first) return Next::kFail;
  b.last = static_cast<short>(at);
  return Next::kNext;
}

}  // namespace tovr
