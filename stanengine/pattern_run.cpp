// The instruction loop. Every instruction has an opcode, a fail address and an argument (the
// pattern, operand or action it belongs to). A test that holds moves on to the next
// instruction; one that fails continues at its fail address, which leads either to a search
// that tries its operand further on, or to the start of a later pattern.
#include "stanengine/pattern_run.h"

#include <cstddef>
#include <cstring>

#include "frame/messages.h"
#include "matchkey/match_key.h"
#include "matchkey/match_key_record.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/opcodes.h"
#include "stanengine/record_output.h"
#include "stanengine/run_steps.h"
#include "stanengine/tk_block.h"
#include "stanengine/tokenizer.h"

namespace tovr {
namespace {

bool tokenizer_error(RunState& r, int status, int code) {
  char text[kTkMessageSize];
  tkMessage(code, text);
  return run_error(r, status, text);
}

// Classes that a later process's table may give differently.
bool reclassifiable(char cls) {
  return (cls >= 'A' && cls <= 'Z') || cls == '?' || cls == '^' || cls == '@' || cls == '<' ||
         cls == '>';
}

bool take_tokens(RunState& r, const char* text, bool tokenized) {
  Stan& s = *r.stan;
  TableRegistry* registry = mk_tables(s.mk);
  const int p = r.process;
  if (!tokenized) {
    Token* list = nullptr;
    const int code =
        tkTokenize(s.tokenizer, registry, r.list, text, s.class_table_name[p], kTkEngineModes,
                   s.separator_list[p], s.strip_list[p], kTkEnginePrefix, &list);
    if (code != kTkOk) return tokenizer_error(r, as_status::kTokenize, code);
  }
  int count = 0;
  const int code = tkGetN(s.tokenizer, r.list, &count);
  if (code != kTkOk) return tokenizer_error(r, as_status::kGetN, code);
  r.tokens = s.tokenizer->lists[r.list];
  if (r.tokens == nullptr) count = 0;
  if (count > kMaxRunTokens) {
    console_message(engine_text::kMaxTokens);
    count = kMaxRunTokens;
  }
  r.count = count;
  if (!tokenized) return true;
  for (int i = 0; i < r.count; ++i) {
    Token& t = r.tokens[i];
    if (!reclassifiable(t.TokenClass) || t.TokenValue[0] == '\0') continue;
    const int c = tkClassify(registry, &t, s.class_table_name[p], kTkEngineModes, kTkEnginePrefix);
    if (c != kTkOk) return tokenizer_error(r, as_status::kClassify, c);
  }
  return true;
}

// ---- Patterns, matches, calls -----------------------------------------------------------

// The pattern that the pattern start at instruction i begins; null for a start that names no
// pattern of the program.
const Pattern* pattern_of_start(const RunState& r, int i) {
  const int p = r.arg[i];
  const ProcessProgram& program = *r.program;
  if (p < 0 || p >= program.slot_count || program.patterns == nullptr ||
      program.patternClassFlags == nullptr) {
    return nullptr;
  }
  return program.patterns[p];
}

// Where a failed instruction continues. A pattern that fails always goes on forward, to the
// next pattern or its section's end; a pattern start whose fail address points back (which
// could only loop) continues there as well.
int fail_target(const RunState& r) {
  const int target = r.fail[r.pc];
  const short code = r.code[r.pc];
  if ((code != op::kFirstPattern && code != op::kPattern) || target > r.pc) return target;
  for (int i = r.pc + 1; i < r.code_count; ++i) {
    const short next = r.code[i];
    if (next == op::kPattern || next == op::kEndOfMain || next == op::kReturn) return i;
  }
  return r.code_count;
}

// Whether instruction i is a pattern start that names a pattern of the program.
bool is_pattern_start(const RunState& r, int i) {
  if (i < 0 || i >= r.code_count) return false;
  const short code = r.code[i];
  return (code == op::kFirstPattern || code == op::kPattern) && pattern_of_start(r, i) != nullptr;
}

void begin_pattern(RunState& r, int p) {
  r.pattern = p;
  r.pat = r.program->patterns[p];
  for (int k = 0; k < kMaxOperands; ++k) {
    reset_binding(r.bind[k], 0);
    r.field_text[k][0] = '\0';
    r.universal_stop[k] = -1;
  }
  r.pos = 0;
  r.float_start = -1;
  r.last_action = -1;
  new_search_attempt(r);
}

// Most patterns need a class the record lacks and fail at their start, on to the next
// pattern's start. Such a chain is passed over here, and the state is set up only for the
// pattern that begins, or for the last one when its failure leads elsewhere: nothing else
// reads it.
Next pattern_start(RunState& r) {
  if (pattern_of_start(r, r.pc) == nullptr) return Next::kFail;
  for (;;) {
    const int p = r.arg[r.pc];
    const std::uint32_t once = r.program->patternClassFlags[2 * p];
    const std::uint32_t twice = r.program->patternClassFlags[2 * p + 1];
    if ((once & ~r.present) == 0 && (twice & ~r.repeated) == 0) {
      begin_pattern(r, p);
      return Next::kNext;
    }
    const int target = fail_target(r);  // always ahead of a pattern start
    if (!is_pattern_start(r, target)) {
      begin_pattern(r, p);
      return Next::kFail;
    }
    r.pc = target;
  }
}

// A multi-retype pattern binds every token of its class, in token order, up to its count.
void bind_multi_retype(RunState& r) {
  Binding& b = r.bind[0];
  b.count = 0;
  for (int i = 0; i < r.count && b.count < r.pat->multi_retype; ++i) {
    if (r.tokens[i].TokenClass == r.pat->cls[0]) b.token[b.count++] = static_cast<short>(i);
  }
  b.first = 0;
  b.last = static_cast<short>(b.count - 1);
}

Next pattern_matched(RunState& r) {
  if (r.pat == nullptr) return Next::kFail;
  if (r.pat->multi_retype != 0) bind_multi_retype(r);
  for (bool& set : r.temp_set) set = false;
  r.last_action = -1;
  if (r.stan->debug) {
    file_message(r.stan->output_file, engine_text::kPatternMatched,
                 r.pat->line != nullptr ? r.pat->line : "");
  }
  return Next::kNext;
}

// A call whose site has no entry cannot come from a correct compile; the run ends rather
// than try the same instruction again.
Next call(RunState& r) {
  const ProcessProgram& program = *r.program;
  for (int i = 0; i < program.call_count; ++i) {
    const SubRoutineCall& c = program.subRoutineCalls[i];
    if (c.call_instruction != r.pc) continue;
    r.last_call = i;
    r.pc = c.target_instruction;
    r.pattern = c.first_pattern;
    return Next::kJump;
  }
  console_message(engine_text::kCallNotFound);
  r.status = as_status::kNotImplemented;
  return Next::kEnd;
}

// One last-call slot, not a stack: a return goes back behind the most recent call.
Next subroutine_return(RunState& r) {
  if (r.last_call < 0) return Next::kEnd;
  const SubRoutineCall& c = r.program->subRoutineCalls[r.last_call];
  if (c.followed_by_exit) return Next::kEnd;
  r.pc = c.call_instruction + 1;
  r.pattern = c.calling_pattern;
  if (r.pattern >= 0 && r.pattern < r.program->slot_count) {
    r.pat = r.program->patterns[r.pattern];
  }
  return Next::kJump;
}

// A floated first operand is tested plainly at the start its loop head chose, and is never
// compiled as a search.
bool is_search(const RunState& r, int code, int k) {
  return code == op::kFloatClass || code == op::kFloatNotClass || code == op::kFloatUnknown ||
         (code == op::kAnyToken && k > 0 && r.pat->float_flag[k] != 0);
}

Next action_step(RunState& r) {
  const int index = r.arg[r.pc];
  if (index == r.last_action) return Next::kNext;
  r.last_action = index;
  return perform_action(r, index);
}

Next search_step(RunState& r, int code, int k) {
  switch (code) {
    case op::kUniversalSearch:
      return universal_search(r, k);
    case op::kFloatUnknown:
      return unknown_run_test(r, k, true);
    default:
      return class_test(r, k, true);
  }
}

// A search reached in sequence begins at the current token (`**` at the token its operand
// start chose); one that already failed from there in this attempt fails at once.
Next remembered_search(RunState& r, int code, int k) {
  if (!r.resumed) {
    const int at = code == op::kUniversalSearch ? r.bind[k].start : visible_from(r, r.pos);
    if (search_known_to_fail(r, k, at)) return Next::kFail;
    search_entered(r, k, at);
  }
  const Next next = search_step(r, code, k);
  if (next == Next::kFail) search_failed(r, k);
  return next;
}

Next operand_step(RunState& r, int code) {
  const int k = r.arg[r.pc];
  if (r.pat == nullptr || k < 0 || k >= kMaxOperands) return Next::kFail;
  if (code == op::kUniversalSearch || is_search(r, code, k)) {
    return remembered_search(r, code, k);
  }
  switch (code) {
    case op::kOperandStart:
    case op::kUniversalBegin:
      return operand_start(r, k);
    case op::kClass:
    case op::kNotClass:
    case op::kAnyToken:
      return class_test(r, k, false);
    case op::kUnknown:
      return unknown_run_test(r, k, false);
    case op::kUniversalToEol:
      return universal_to_line_end(r, k);
    case op::kUniversalLast:
      return universal_rest(r, k);
    case op::kValues:
      return value_test(r, k);
    case op::kCondition:
    case op::kConditionOnly:
      return condition_test(r, k);
    case op::kField:
      return field_test(r, k);
    case op::kEndOfField:
      return Next::kFail;  // reached only when a token follows
    case op::kEndOfLine:
      return end_of_line_test(r, k);
    case op::kLowPositive:
    case op::kLowNegative:
      return range_test(r, k, false);
    case op::kHighPositive:
    case op::kHighNegative:
      return range_test(r, k, true);
    default:
      return Next::kNext;
  }
}

Next step(RunState& r, int code) {
  switch (code) {
    case op::kExit:
    case op::kEndOfMain:
      return Next::kEnd;
    case op::kFirstPattern:
    case op::kPattern:
      return pattern_start(r);
    case op::kFixedLeft:
    case op::kFixedRight:
      return fixed_position(r, code == op::kFixedRight);
    case op::kFloatStart:
    case op::kFloatRightStart:
      return Next::kNext;
    case op::kAnchor:
      r.pos = 0;
      return Next::kNext;
    case op::kNewlineLeft:
    case op::kNewlineRight:
      return newline_position(r, code == op::kNewlineRight);
    case op::kFloatLoop:
    case op::kFloatRightLoop:
      return loop_head(r, code == op::kFloatRightLoop);
    case op::kTokenLeft:
      return token_left(r);
    case op::kMatched:
      return pattern_matched(r);
    case op::kCall:
      return call(r);
    case op::kReturn:
      return subroutine_return(r);
    case op::kConvert:
    case op::kConvertP:
    case op::kConvertS:
      return action_step(r);
    default:
      break;
  }
  if (code >= op::kFirstAction && code <= op::kLastAction) return action_step(r);
  if (code >= op::kClass && code <= op::kUniversalLast) return operand_step(r, code);
  // Codes outside the instruction set are passed over.
  return Next::kNext;
}

void execute(RunState& r) {
  r.pc = 0;
  r.resumed = false;
  r.last_call = -1;
  r.pattern = -1;
  r.pat = nullptr;
  while (r.pc >= 0 && r.pc < r.code_count) {
    switch (step(r, r.code[r.pc])) {
      case Next::kNext:
        ++r.pc;
        r.resumed = false;
        break;
      case Next::kFail:
        r.pc = fail_target(r);
        r.resumed = true;
        break;
      case Next::kJump:
        r.resumed = false;
        break;
      case Next::kEnd:
        return;
    }
  }
}

}  // namespace

int class_bit(char cls) {
  if (cls >= 'A' && cls <= 'Z') return cls - 'A';
  switch (cls) {
    case '^':
      return 26;
    case '<':
      return 27;
    case '>':
      return 28;
    case '?':
      return 29;
    case '@':
      return 30;
    case '#':
    case '&':
    case '-':
      return 31;
    default:
      return -1;
  }
}

void compute_class_sets(RunState& r) {
  r.present = 0;
  r.repeated = 0;
  for (int i = 0; i < r.count; ++i) {
    const int bit = class_bit(r.tokens[i].TokenClass);
    if (bit < 0) continue;
    const std::uint32_t mask = std::uint32_t{1} << bit;
    if ((r.present & mask) != 0) r.repeated |= mask;
    r.present |= mask;
  }
}

bool run_error(RunState& r, int status, const char* text) {
  if (text != nullptr) console_message(engine_text::kLineFormat, text);
  r.status = status;
  return false;
}

namespace {

// The field values, the operand texts of TEMP conversions and the entries of failed searches
// (most of the state) are written before they are read: every pattern start empties
// the field values and forgets the failed searches, a TEMP text is read only once its flag
// says it was written, and a failed search only once its bit says it was kept. Everything
// else is cleared, and every value and text begins empty.
static_assert(offsetof(RunState, field_text) < offsetof(RunState, float_start) &&
              offsetof(RunState, float_start) < offsetof(RunState, temp_text) &&
              offsetof(RunState, temp_text) < offsetof(RunState, temp_set) &&
              offsetof(RunState, temp_set) < offsetof(RunState, memo) &&
              offsetof(RunState, memo) + sizeof(SearchMemo) == sizeof(RunState) &&
              offsetof(SearchMemo, failed) + sizeof(SearchMemo::failed) == sizeof(SearchMemo));

void clear_run_state(RunState& r) {
  auto* bytes = reinterpret_cast<unsigned char*>(&r);
  std::memset(bytes, 0, offsetof(RunState, field_text));
  std::memset(bytes + offsetof(RunState, float_start), 0,
              offsetof(RunState, temp_text) - offsetof(RunState, float_start));
  const std::size_t failed = offsetof(RunState, memo) + offsetof(SearchMemo, failed);
  std::memset(bytes + offsetof(RunState, temp_set), 0, failed - offsetof(RunState, temp_set));
  for (int k = 0; k < kMaxOperands; ++k) {
    r.field_text[k][0] = '\0';
    r.temp_text[k][0] = '\0';
  }
}

// Copies the process's key record out of the match key service. The buffer was sized from
// the layout at compile time; a host that has since replaced the layout under the same name
// with a longer one gets the copy refused rather than written past the buffer.
int copy_key_record(Stan& stan, int process) {
  const char* layout = stan.processMatchKey[process];
  bool too_long = false;
  const int status = mk_copy_within(stan.mk, layout, stan.processMatchKeyContents[process],
                                    stan.key_record_length[process], &too_long);
  if (too_long) {
    console_message(engine_text::kLayoutOutgrewKey, layout);
    return as_status::kMkCopy;
  }
  if (status != 0) {
    print_mk_message(status);
    return as_status::kMkCopy;
  }
  return as_status::kOk;
}

}  // namespace

int run_process(Stan& stan, int process, const char* text, bool tokenized,
                SearchMode search_mode) {
  RunState r;
  clear_run_state(r);
  r.remember_failed_searches = search_mode == SearchMode::kRememberFailures;
  r.stan = &stan;
  r.process = process;
  r.program = &stan.patterns.process[process];
  r.text = text;
  r.list = stan.input_number[process];
  r.last_call = -1;
  if (stan.sc != nullptr) {
    r.code = stan.sc->instructionArray[process];
    r.fail = stan.sc->failAddressArray[process];
    r.arg = stan.sc->operandArray[process];
    r.code_count = stan.sc->instructionCount[process];
  }
  if (r.code == nullptr || r.fail == nullptr || r.arg == nullptr) r.code_count = 0;
  if (!take_tokens(r, text, tokenized)) return r.status;
  compute_class_sets(r);
  execute(r);
  if (r.status != as_status::kOk) return r.status;
  if (r.field_written && r.program->postActions != nullptr && !run_post_actions(r)) {
    return r.status;
  }
  return copy_key_record(stan, process);
}

}  // namespace tovr
