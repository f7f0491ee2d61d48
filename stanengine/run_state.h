// The state of one run: one process's compiled program over one record's token list.
//
// Tokens are never copied for matching: an operand binds token numbers (indexes into the
// list), and a range on the operand selects a part of them. The actions of a matched pattern
// read an operand's texts from its tokens as they stand, so that a RETYPE or CONVERT of the
// tokens shows in the actions that follow it.
#pragma once

#include <cstdint>

#include "stancomp/stan.h"
#include "stanengine/token.h"

namespace tovr {

inline constexpr int kMaxRunTokens = 30;  // tokens of one list that a run uses
// Room of an operand's text: 30 values of up to 39 characters, blanks between, terminator.
inline constexpr int kOperandTextSize = kMaxRunTokens * kTokenValueSize + 1;
inline constexpr int kFieldValueSize = 257;  // a match key field value and its terminator
inline constexpr char kNullClass = '0';

struct Binding {
  short start;  // where the operand began looking for its tokens
  short count;  // tokens bound
  short token[kMaxRunTokens];
  short first;  // the selection by the operand's range: indexes into token[]
  short last;
};

// Empties a binding that begins looking at token `start`. Only the bound tokens
// (token[0] to token[count - 1]) are ever read, so the rest of the array is left as it is.
inline void reset_binding(Binding& b, int start) {
  b.start = static_cast<short>(start);
  b.count = 0;
  b.token[0] = 0;
  b.first = 0;
  b.last = -1;
}

// A search of the current pattern that failed: the operand whose search it was, entered in
// sequence at a token, ran the rest of the pattern and came back empty. Kept per operand and
// entry token (search_memo.cpp).
struct FailedSearch {
  std::uint8_t rewritten;    // operands whose bindings the failed search rewrote
  short last[kMaxOperands];  // the last token each of those held when it failed; -1 for none
};

struct SearchMemo {
  std::uint32_t clock;  // binding rewrites of the attempt
  std::uint32_t rewrite_time[kMaxOperands];
  std::uint32_t entry_time[kMaxOperands];  // when each operand's search was last entered
  short entry[kMaxOperands];               // and the token it was entered at; -1 for none
  // Per operand, bit t: failed[k][t] holds a failure of the current pattern attempt. The
  // entries themselves are written before they are read and never cleared.
  std::uint32_t failed_at[kMaxOperands];
  FailedSearch failed[kMaxOperands][kMaxRunTokens + 1];
};
static_assert(kMaxRunTokens + 1 <= 32, "an entry bit per token and the end");

struct RunState {
  Stan* stan;
  int process;
  const ProcessProgram* program;
  const short* code;
  const int* fail;
  const int* arg;
  int code_count;
  const char* text;  // the process's input text

  int list;  // table number of the token list
  Token* tokens;
  int count;  // tokens used, at most kMaxRunTokens
  std::uint32_t present;
  std::uint32_t repeated;

  int pc;
  bool resumed;  // the program counter came from a fail address
  int pattern;
  const Pattern* pat;
  int pos;  // the token after the tokens bound so far
  Binding bind[kMaxOperands];
  char field_text[kMaxOperands][kFieldValueSize];  // values of field operands
  short float_start;                               // the start a loop head chose
  short universal_stop[kMaxOperands];              // the token a `**` stopped before

  // An operand's text as a TEMP conversion left it, for the actions that follow.
  char temp_text[kMaxOperands][kOperandTextSize];
  bool temp_set[kMaxOperands];
  int last_action;  // the action performed last in this match
  bool field_written;
  int last_call;
  int status;  // the run's error, once one occurred
  bool remember_failed_searches;
  SearchMemo memo;
};

// Bit of a class character in the class sets; -1 for classes without one.
int class_bit(char cls);

// Computes the present and repeated class sets over the used tokens.
void compute_class_sets(RunState& r);

// The first visible (not NULL-class) token at or after i; r.count when none. Inline: the
// matching steps ask it at almost every test.
inline int visible_from(const RunState& r, int i) {
  if (i < 0) i = 0;
  while (i < r.count && r.tokens[i].TokenClass == kNullClass) ++i;
  return i < r.count ? i : r.count;
}

// Ends the run with a status after printing a status text as a console line.
bool run_error(RunState& r, int status, const char* text);

}  // namespace tovr
