// RETYPE: the tokens bound to an operand take a new class, and optionally a new value and a
// new abbreviation. In a multi-retype pattern the tokens are all those of the pattern's class
// that the match bound. The class sets follow, so that later patterns are filtered against
// the changed tokens.
#include <cstring>

#include "frame/strings.h"
#include "stanengine/actions.h"
#include "stanengine/engine_texts.h"
#include "stanengine/operand_text.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

// The value of a RETYPE: its literal, or the value of its user variable.
const char* retype_value(RunState& r, const PatternAction& a) {
  if (a.value != nullptr) return a.value;
  if (a.value_variable[0] == '\0') return nullptr;
  const char* value = user_variable(*r.stan, a.value_variable);
  return value != nullptr ? value : "";
}

bool retype_abbrev(RunState& r, const PatternAction& a, char* out) {
  if (a.abbrevValue != nullptr) {
    copy_text(out, kTokenAbbrevSize, a.abbrevValue);
    return true;
  }
  if (a.abbrev_variable[0] == '\0') return false;
  char value[kUserVarValueSize] = "";
  const char* source = user_variable(*r.stan, a.abbrev_variable);
  if (source != nullptr) copy_text(value, sizeof value, source);
  if (range_given(a.abbrev_range)) {
    apply_text_range(value, a.abbrev_range, engine_text::kRangeSupplied);
  }
  copy_text(out, kTokenAbbrevSize, value);
  return true;
}

}  // namespace

bool retype_action(RunState& r, const PatternAction& a) {
  const int k = r.pat != nullptr && r.pat->multi_retype != 0 ? 0 : a.source_operand;
  if (k < 0 || k >= kMaxOperands) return true;
  const char* value = retype_value(r, a);
  char abbrev[kTokenAbbrevSize];
  const bool has_abbrev = retype_abbrev(r, a, abbrev);
  const Binding& b = r.bind[k];
  for (int i = b.first; i <= b.last && i < b.count; ++i) {
    Token& t = r.tokens[b.token[i]];
    t.TokenClass = a.retype_class;
    if (value != nullptr) {
      copy_text(t.TokenValue, sizeof t.TokenValue, value);
      t.TokenLen = static_cast<int16_t>(std::strlen(t.TokenValue));
    }
    if (has_abbrev) copy_text(t.TokenAbbrev, sizeof t.TokenAbbrev, abbrev);
  }
  compute_class_sets(r);
  return true;
}

}  // namespace tovr
