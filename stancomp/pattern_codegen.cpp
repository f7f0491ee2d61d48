// Instruction count and generation: the patterns and action chains of a process become one
// linear instruction array with a fail address and an argument per instruction (the layout is
// described in pattern_program.h). One walk counts, the same walk then writes.
#include <cstring>

#include "frame/memory.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

// Far below the fail-address placeholders, so that no instruction index can be mistaken for
// one.
constexpr long kMaxInstructions = 4000000;

namespace op {
constexpr short kExit = 2, kConvert = 12, kConvertP = 13, kConvertS = 14;
constexpr short kFirstPattern = 100, kPattern = 101;
constexpr short kFixedLeft = 110, kFixedRight = 111, kFloatStart = 112, kFloatRightStart = 113;
constexpr short kAnchor = 114, kNewlineLeft = 115, kNewlineRight = 116;
constexpr short kClass = 120, kFloatClass = 121, kNotClass = 122, kFloatNotClass = 123;
constexpr short kUnknown = 124, kFloatUnknown = 125, kAnyToken = 126, kUniversalSearch = 127;
constexpr short kUniversalToEol = 128, kValues = 129, kCondition = 130, kField = 131;
constexpr short kConditionOnly = 132, kEndOfField = 133, kEndOfLine = 134;
constexpr short kLowPositive = 150, kLowNegative = 151, kHighPositive = 152, kHighNegative = 153;
constexpr short kOperandStart = 160, kFloatLoop = 161, kFloatRightLoop = 162;
constexpr short kTokenLeft = 170, kUniversalBegin = 180, kUniversalLast = 190;
constexpr short kCall = 195, kReturn = 196, kMatched = 200, kEndOfMain = 300;
constexpr short kWriteField = 220;
}  // namespace op

bool is_concat(short c) { return c == kActConcat || c == kActConcatA; }
bool is_prefix(short c) { return c == kActPrefix || c == kActPrefixA; }
bool has_range(const int r[2]) { return r[0] != kNumberNotGiven; }

class Generator {
 public:
  Generator(PatternFileState& st, bool write) : prog_(program_of(st)), write_(write) {
    if (write_) {
      ops_ = st.sc->instructionArray[st.process];
      fails_ = st.sc->failAddressArray[st.process];
      args_ = st.sc->operandArray[st.process];
    }
  }

  long count() const { return n_; }

  void run() {
    for (int s = 0; s < prog_.section_count; ++s) section(s);
    if (write_) resolve_calls();
  }

 private:
  int emit(short code, int fail, int arg) {
    if (write_) {
      ops_[n_] = code;
      fails_[n_] = fail;
      args_[n_] = arg;
    }
    return static_cast<int>(n_++);
  }

  // Replaces a placeholder in the fail addresses from index `from` on.
  void resolve(long from, int placeholder, int target) {
    if (!write_ || from < 0) return;
    for (long i = from; i < n_; ++i) {
      if (fails_[i] == placeholder) fails_[i] = target;
    }
  }

  void section(int s) {
    SubRoutine& sub = prog_.subRoutines[s];
    const int end_placeholder = s == 0 ? kFailEndOfMain : kFailEndOfSub;
    long last_start = -1;
    if (sub.first_pattern >= 0 && sub.last_pattern >= sub.first_pattern) {
      for (int pi = sub.first_pattern; pi <= sub.last_pattern; ++pi) {
        const bool last = pi == sub.last_pattern;
        last_start = pattern(pi, last ? end_placeholder : kFailNextPattern);
        if (pi == sub.first_pattern && write_) sub.start_instruction = static_cast<int>(last_start);
      }
    }
    const int end = emit(s == 0 ? op::kEndOfMain : op::kReturn, -1, -1);
    if (write_ && sub.start_instruction < 0) sub.start_instruction = end;
    resolve(last_start, end_placeholder, end);
  }

  long pattern(int pi, int fail_placeholder) {
    const Pattern& p = *prog_.patterns[pi];
    // The previous pattern's failures go to this start; resolved before the start is emitted,
    // so that its own placeholder stays for the pattern after it.
    resolve(previous_start_, kFailNextPattern, static_cast<int>(n_));
    const int start = emit(pi == 0 ? op::kFirstPattern : op::kPattern, fail_placeholder, pi);
    previous_start_ = start;
    int fail = fail_placeholder;
    if (p.multi_retype != 0) {
      emit(op::kMatched, -1, -1);
    } else {
      const bool loop = anchor(p, fail);
      operands(p, fail, loop);
      const int matched = emit(op::kMatched, -1, -1);
      resolve(start, kFailActionPart, matched);
    }
    actions(p, pi);
    return start;
  }

  // The anchoring instructions; true when a loop head floats the first operand.
  bool anchor(const Pattern& p, int& fail) {
    if (p.float_flag[0] != 0 && p.kind[0] != kOperandUniversal) {
      emit(op::kFloatStart, fail, 0);
      fail = emit(op::kFloatLoop, fail, 0);
      return true;
    }
    if (p.newline_position != 0) {
      emit(p.newline_position > 0 ? op::kNewlineLeft : op::kNewlineRight, fail, 0);
      if (p.fixed_flag != 0) emit(p.fixed_position > 0 ? op::kFixedLeft : op::kFixedRight, fail, 0);
      return false;
    }
    if (p.fixed_flag != 0) {
      emit(p.fixed_position > 0 ? op::kFixedLeft : op::kFixedRight, fail, 0);
      return false;
    }
    if (p.float_right != 0) {
      emit(op::kFloatRightStart, fail, 0);
      fail = emit(op::kFloatRightLoop, fail, 0);
      return true;
    }
    emit(op::kAnchor, fail, 0);
    return false;
  }

  static short token_test(const Pattern& p, int k, bool search) {
    const short kind = p.kind[k];
    if (kind == kOperandAnyToken) return op::kAnyToken;
    if (p.negation[k] != 0) return search ? op::kFloatNotClass : op::kNotClass;
    if (kind == kOperandClass) return search ? op::kFloatClass : op::kClass;
    return search ? op::kFloatUnknown : op::kUnknown;
  }

  void operands(const Pattern& p, int& fail, bool loop_head) {
    const int last = p.operand_count - 1;
    bool after_universal = false;
    for (int k = 0; k <= last; ++k) {
      const short kind = p.kind[k];
      if (kind == kOperandNewlineOnly) continue;
      const bool placed = after_universal && kind != kOperandEndOfLine && p.field_ref[k] == 0;
      if (!placed) emit(op::kOperandStart, fail, k);
      switch (kind) {
        case kOperandUniversal:
          if (k == last) {
            emit(op::kUniversalLast, fail, k);
          } else if (p.kind[k + 1] == kOperandEndOfLine) {
            emit(op::kUniversalToEol, fail, k);
          } else {
            emit(op::kUniversalBegin, fail, k);
            emit(op::kTokenLeft, fail, k);
            fail = emit(op::kUniversalSearch, fail, k);
          }
          break;
        case kOperandEndOfField: {
          const bool next_is_matched = k == last && p.pCondition[k] == nullptr;
          const int after = static_cast<int>(n_) + 2;
          emit(op::kTokenLeft, next_is_matched ? kFailActionPart : after, k);
          emit(op::kEndOfField, fail, k);
          break;
        }
        case kOperandEndOfLine:
          emit(op::kEndOfLine, fail, k);
          break;
        case kOperandField:
          emit(op::kField, fail, k);
          break;
        case kOperandConditionOnly:
          emit(op::kConditionOnly, fail, k);
          break;
        default: {
          const bool first_loop = k == 0 && loop_head;
          const bool search = p.float_flag[k] != 0 && !first_loop;
          if (!search && !first_loop && !placed) emit(op::kTokenLeft, fail, k);
          const int test = emit(token_test(p, k, search), fail, k);
          if (search) fail = test;
          break;
        }
      }
      range_tests(p, k, fail);
      if (p.pValue[k] != nullptr && kind != kOperandField) emit(op::kValues, fail, k);
      if (p.pCondition[k] != nullptr && kind != kOperandConditionOnly) {
        emit(op::kCondition, fail, k);
      }
      after_universal = kind == kOperandUniversal && k != last &&
                        p.kind[k + 1] != kOperandEndOfLine;
    }
  }

  void range_tests(const Pattern& p, int k, int fail) {
    const short kind = p.kind[k];
    if (p.range[k][0] == 0) return;
    if (kind != kOperandClass && kind != kOperandUnknownRun && kind != kOperandAnyToken &&
        kind != kOperandUniversal) {
      return;
    }
    emit(p.range[k][0] > 0 ? op::kLowPositive : op::kLowNegative, fail, k);
    emit(p.range[k][1] > 0 ? op::kHighPositive : op::kHighNegative, fail, k);
  }

  void actions(const Pattern& p, int pi) {
    int j = 0;
    for (PatternAction* a = prog_.patternActions[pi]; a != nullptr; a = a->next, ++j) {
      action(p, *a, j);
    }
  }

  void action(const Pattern& p, PatternAction& a, int j) {
    const short c = a.command;
    switch (c) {
      case kActExit: emit(op::kExit, -1, j); return;
      case kActConvert: emit(op::kConvert, -1, j); return;
      case kActConvertP: emit(op::kConvertP, -1, j); return;
      case kActConvertS: emit(op::kConvertS, -1, j); return;
      case kActReturn: emit(op::kReturn, -1, j); return;
      case kActRetype: emit(retype_code(p, a), -1, j); return;
      case kActCall: {
        const int at = emit(op::kCall, -1, a.call_index);
        if (write_ && a.call_index >= 0) prog_.subRoutineCalls[a.call_index].call_instruction = at;
        return;
      }
      case kActCopyC:
        emit(210, -1, j);
        emit(a.target_kind == kTargetVariable ? 211 : op::kWriteField, -1, j);
        return;
      case kActCopyA:
      case kActConcatA:
      case kActPrefixA:
        emit(has_range(a.source_range) ? 213 : 214, -1, j);
        if (a.target_kind == kTargetVariable) {
          emit(c == kActConcatA ? 215 : c == kActPrefixA ? 216 : 217, -1, j);
        } else {
          if (c == kActConcatA) emit(221, -1, j);
          if (c == kActPrefixA) emit(222, -1, j);
          emit(op::kWriteField, -1, j);
        }
        return;
      default:
        copying_action(a, j);
        return;
    }
  }

  // MOVE, COPY, COPY_S, CONCAT and PREFIX, by source kind.
  void copying_action(const PatternAction& a, int j) {
    const short c = a.command;
    const bool to_var = a.target_kind == kTargetVariable;
    switch (a.source_kind) {
      case kSourceVariable:
        if (to_var) {
          emit(has_range(a.source_range) ? 246 : 247, -1, j);
          emit(is_concat(c) ? 248 : is_prefix(c) ? 249 : 250, -1, j);
        } else {
          emit(has_range(a.source_range) ? 251 : 252, -1, j);
          if (is_concat(c)) emit(253, -1, j);
          if (is_prefix(c)) emit(254, -1, j);
          emit(op::kWriteField, -1, j);
          emit(255, -1, j);
        }
        return;
      case kSourceLiteral:
        if (to_var) {
          emit(is_concat(c) ? 259 : is_prefix(c) ? 260 : 261, -1, j);
        } else {
          emit(is_concat(c) ? 262 : is_prefix(c) ? 263 : 264, -1, j);
          emit(op::kWriteField, -1, j);
        }
        return;
      case kSourceFormatted:
        emit(265, -1, j);
        break;
      case kSourceField:
        emit(c == kActCopy || c == kActMove ? 266 : 267, -1, j);
        break;
      default:
        emit(operand_source_code(a), -1, j);
        break;
    }
    if (to_var) {
      emit(is_concat(c) ? 241 : is_prefix(c) ? 242 : 243, -1, j);
    } else {
      if (is_concat(c)) emit(244, -1, j);
      if (is_prefix(c)) emit(245, -1, j);
      emit(op::kWriteField, -1, j);
    }
  }

  static short operand_source_code(const PatternAction& a) {
    const int* r = a.source_range;
    const bool spaced = a.command == kActCopyS;
    if (!has_range(r)) return spaced ? 240 : 239;
    if (r[0] == kRangeN && r[1] == kRangeN) return 230;
    if (r[0] == kRangeMinusN && r[1] == kRangeMinusN) return spaced ? 233 : 232;
    if (r[0] == kRangeC && r[1] == kRangeC) return 234;
    if (r[0] == kRangeMinusC && r[1] == kRangeMinusC) return spaced ? 237 : 236;
    return 238;
  }

  static short retype_code(const Pattern& p, const PatternAction& a) {
    const bool value_literal = a.value != nullptr;
    const bool value_var = a.value_variable[0] != '\0';
    const bool abbrev_literal = a.abbrevValue != nullptr;
    const bool abbrev_var = a.abbrev_variable[0] != '\0';
    const int abbrev = abbrev_literal ? 1 : abbrev_var ? 2 : 0;
    if (p.multi_retype == 0) {
      if (value_literal) return static_cast<short>(271 + abbrev);
      if (value_var) return static_cast<short>(274 + abbrev);
      return 270;
    }
    if (value_literal) {
      if (abbrev == 2 && has_range(a.abbrev_range)) return 284;
      return static_cast<short>(281 + abbrev);
    }
    if (value_var) return static_cast<short>(277 + abbrev);
    return 280;
  }

  void resolve_calls() {
    for (int c = 0; c < prog_.call_count; ++c) {
      SubRoutineCall& call = prog_.subRoutineCalls[c];
      if (call.name == nullptr) continue;
      for (int s = 1; s < prog_.section_count; ++s) {
        const SubRoutine& sub = prog_.subRoutines[s];
        if (sub.name != nullptr && std::strcmp(sub.name, call.name) == 0) {
          call.target_instruction = sub.start_instruction;
          call.first_pattern = sub.first_pattern;
          break;
        }
      }
    }
  }

  ProcessProgram& prog_;
  bool write_;
  short* ops_ = nullptr;
  int* fails_ = nullptr;
  int* args_ = nullptr;
  long n_ = 0;
  long previous_start_ = -1;
};

}  // namespace

Step generate_instructions(PatternFileState& st) {
  Generator counter(st, false);
  counter.run();
  const long n = counter.count();
  if (n > kMaxInstructions) return no_memory(patmsg::kTooManyInstructions);
  Sc& sc = *st.sc;
  const int p = st.process;
  sc.instructionArray[p] = static_cast<short*>(mem_alloc_zeroed(n, sizeof(short)));
  if (sc.instructionArray[p] == nullptr) {
    return no_memory_in_file(patmsg::kNoMemInstructions, st.file_name);
  }
  sc.failAddressArray[p] = static_cast<int*>(mem_alloc_zeroed(n, sizeof(int)));
  if (sc.failAddressArray[p] == nullptr) {
    return no_memory_in_file(patmsg::kNoMemFailAddresses, st.file_name);
  }
  sc.operandArray[p] = static_cast<int*>(mem_alloc_zeroed(n, sizeof(int)));
  if (sc.operandArray[p] == nullptr) {
    return no_memory_in_file(patmsg::kNoMemInstructions, st.file_name);
  }
  Generator writer(st, true);
  writer.run();
  sc.instructionCount[p] = static_cast<int>(n);
  return Step::kOk;
}

}  // namespace tovr
