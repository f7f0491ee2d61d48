// The instruction loop. Every instruction has an opcode, a fail address and an argument (the
// pattern, operand or action it belongs to). A test that holds moves on to the next
// instruction; one that fails continues at its fail address, which leads either to a search
// that tries its operand further on, or to the start of a later pattern.
#include "stanengine/pattern_run.h"

#include <cstddef>
#include <cstring>

#include "frame/messages.h"
#include "matchkey/match_key.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
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
    const int code = tkTokenize(s.tokenizer, registry, r.list, text, s.class_table_name[p],
                                kTkEngineModes, s.separator_list[p], s.strip_list[p],
                                kTkEnginePrefix, &list);
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
    const int c = tkClassify(registry, &t, s.class_table_name[p], kTkEngineModes,
                             kTkEnginePrefix);
    if (c != kTkOk) return tokenizer_error(r, as_status::kClassify, c);
  }
  return true;
}

// ---- Patterns, matches, calls -----------------------------------------------------------

Next pattern_start(RunState& r) {
  const int p = r.arg[r.pc];
  const ProcessProgram& program = *r.program;
  if (p < 0 || p >= program.slot_count || program.patterns[p] == nullptr) return Next::kFail;
  r.pattern = p;
  r.pat = program.patterns[p];
  for (int k = 0; k < kMaxOperands; ++k) {
    r.bind[k] = Binding{0, 0, {}, 0, -1};
    r.field_text[k][0] = '\0';
    r.universal_stop[k] = -1;
  }
  r.pos = 0;
  r.float_start = -1;
  r.last_action = -1;
  const std::uint32_t once = program.patternClassFlags[2 * p];
  const std::uint32_t twice = program.patternClassFlags[2 * p + 1];
  if ((once & ~r.present) != 0 || (twice & ~r.repeated) != 0) return Next::kFail;
  return Next::kNext;
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

bool is_search(const RunState& r, int op, int k) {
  // A floated first operand is tested plainly at the start its loop head chose.
  return op == 121 || op == 123 || op == 125 || (op == 126 && k > 0 && r.pat->float_flag[k] != 0);
}

Next action_step(RunState& r) {
  const int index = r.arg[r.pc];
  if (index == r.last_action) return Next::kNext;
  r.last_action = index;
  return perform_action(r, index);
}

Next operand_step(RunState& r, int op) {
  const int k = r.arg[r.pc];
  if (r.pat == nullptr || k < 0 || k >= kMaxOperands) return Next::kFail;
  switch (op) {
    case 160: return operand_start(r, k);
    case 180: return operand_start(r, k);
    case 120: case 121: case 122: case 123: case 126:
      return class_test(r, k, is_search(r, op, k));
    case 124: case 125: return unknown_run_test(r, k, op == 125);
    case 127: return universal_search(r, k);
    case 128: return universal_to_line_end(r, k);
    case 190: return universal_rest(r, k);
    case 129: return value_test(r, k);
    case 130: case 132: return condition_test(r, k);
    case 131: return field_test(r, k);
    case 133: return Next::kFail;
    case 134: return end_of_line_test(r, k);
    case 150: case 151: return range_test(r, k, false);
    case 152: case 153: return range_test(r, k, true);
    default: return Next::kNext;
  }
}

Next step(RunState& r, int op) {
  switch (op) {
    case 2: case 300: return Next::kEnd;
    case 100: case 101: return pattern_start(r);
    case 110: case 111: return fixed_position(r, op == 111);
    case 112: case 113: return Next::kNext;
    case 114:
      r.pos = 0;
      return Next::kNext;
    case 115: case 116: return newline_position(r, op == 116);
    case 161: case 162: return loop_head(r, op == 162);
    case 170: return token_left(r);
    case 200: return pattern_matched(r);
    case 195: return call(r);
    case 196: return subroutine_return(r);
    case 12: case 13: case 14: return action_step(r);
    default: break;
  }
  if (op >= 210 && op <= 284) return action_step(r);
  if (op >= 120 && op <= 190) return operand_step(r, op);
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
      case Next::kFail: {
        const int target = r.fail[r.pc];
        // A failed pattern always goes on forward; a start that fails back to itself or
        // before it could only loop, and ends the program instead.
        const short op = r.code[r.pc];
        if ((op == 100 || op == 101) && target <= r.pc) return;
        r.pc = target;
        r.resumed = true;
        break;
      }
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
    case '^': return 26;
    case '<': return 27;
    case '>': return 28;
    case '?': return 29;
    case '@': return 30;
    case '#': case '&': case '-': return 31;
    default: return -1;
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

int visible_from(const RunState& r, int i) {
  if (i < 0) i = 0;
  while (i < r.count && r.tokens[i].TokenClass == kNullClass) ++i;
  return i < r.count ? i : r.count;
}

bool run_error(RunState& r, int status, const char* text) {
  if (text != nullptr) console_message(engine_text::kLineFormat, text);
  r.status = status;
  return false;
}

namespace {

// The field values and the operand texts of TEMP conversions (most of the state's 12 KB)
// are written before they are read: every pattern start empties the field values, and a
// TEMP text is read only once its flag says it was written. Everything else is cleared, and
// every value and text begins empty.
static_assert(offsetof(RunState, field_text) < offsetof(RunState, float_start) &&
              offsetof(RunState, float_start) < offsetof(RunState, temp_text) &&
              offsetof(RunState, temp_text) < offsetof(RunState, temp_set));

void clear_run_state(RunState& r) {
  auto* bytes = reinterpret_cast<unsigned char*>(&r);
  std::memset(bytes, 0, offsetof(RunState, field_text));
  std::memset(bytes + offsetof(RunState, float_start), 0,
              offsetof(RunState, temp_text) - offsetof(RunState, float_start));
  std::memset(bytes + offsetof(RunState, temp_set), 0,
              sizeof(RunState) - offsetof(RunState, temp_set));
  for (int k = 0; k < kMaxOperands; ++k) {
    r.field_text[k][0] = '\0';
    r.temp_text[k][0] = '\0';
  }
}

}  // namespace

int run_process(Stan& stan, int process, const char* text, bool tokenized) {
  RunState r;
  clear_run_state(r);
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
  const int status = TOVR_mkCopy(stan.mk, stan.processMatchKey[process],
                                 stan.processMatchKeyContents[process]);
  if (status != 0) {
    print_mk_message(status);
    return as_status::kMkCopy;
  }
  return as_status::kOk;
}

}  // namespace tovr
