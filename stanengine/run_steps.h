// The steps of one run, as the instruction loop calls them. Each returns what the loop does
// next: the next instruction, the fail address, a jump already made, or the end of the
// program (also after an error, which is then in RunState::status).
#pragma once

#include "stanengine/run_state.h"

namespace tovr {

enum class Next { kNext, kFail, kJump, kEnd };

// Placing the first operand (match_position.cpp).
Next fixed_position(RunState& r, bool from_right);
Next newline_position(RunState& r, bool from_right);
Next loop_head(RunState& r, bool from_right);

// Operand tests (match_operands.cpp).
Next operand_start(RunState& r, int k);
Next token_left(RunState& r);
Next class_test(RunState& r, int k, bool search);
Next unknown_run_test(RunState& r, int k, bool search);
Next universal_search(RunState& r, int k);
Next universal_to_line_end(RunState& r, int k);
Next universal_rest(RunState& r, int k);
Next field_test(RunState& r, int k);
Next end_of_line_test(RunState& r, int k);
Next range_test(RunState& r, int k, bool high);

// Whether operand k accepts the token as one occurrence of its class.
bool accepts(const RunState& r, int k, const Token& token);
// Binds the visible tokens of [from, to) to operand k and selects all of them.
void bind_span(RunState& r, int k, int from, int to);

// Searches known to fail in the current pattern attempt (search_memo.cpp). A search entered
// in sequence at token `at` that already failed from there fails at once, and the bindings are
// put back as that failure left them.
void new_search_attempt(RunState& r);
// Inline: every operand start tells it.
inline void binding_rewritten(RunState& r, int k) {
  if (k >= 0 && k < kMaxOperands) r.memo.rewrite_time[k] = ++r.memo.clock;
}
bool search_known_to_fail(RunState& r, int k, int at);
void search_entered(RunState& r, int k, int at);
void search_failed(RunState& r, int k);

// Value lists and conditions (value_tests.cpp, condition_tests.cpp).
Next value_test(RunState& r, int k);
Next condition_test(RunState& r, int k);

// The text of operand k during matching: its selected tokens joined (or a field operand's
// value), and the abbreviation of a single selected token.
void operand_match_text(const RunState& r, int k, char* text, char* abbrev);

// Actions (actions.cpp), performed once per action of a matched pattern.
Next perform_action(RunState& r, int index);
// Post actions at the end of a run (post_actions.cpp).
bool run_post_actions(RunState& r);

}  // namespace tovr
