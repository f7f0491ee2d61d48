// The compile of one pattern line: a left-to-right scan over operands separated by "|".
#include <cctype>

#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

// What has been written so far in the operand being scanned.
struct OperandState {
  bool float_pending = false;  // `*` waiting for its class
  bool neg_pending = false;    // `!` waiting for its class
  bool right_pending = false;  // `#` waiting for its class
  bool has_class = false;      // the operand has its test (class, field, `**`, `$`, `n`, ...)
  bool has_range = false;
  bool has_values = false;
  bool has_condition = false;
  bool newline_pos = false;    // `%` k `n` or `#` `n`
  bool fixed = false;          // `%` k
};

bool is_class_letter(char c) {
  return (c >= 'A' && c <= 'Z') || c == '^' || c == '?' || c == '@' || c == '<' || c == '>' ||
         c == '~';
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

short to_short(int v) {
  if (v > 32767) return 32767;
  if (v < -32768) return -32768;
  return static_cast<short>(v);
}

class LineCompiler {
 public:
  LineCompiler(PatternFileState& st, Pattern& p, const char* s) : st_(st), p_(p), s_(s) {}

  Step run() {
    Step r = multi_retype_prefix();
    while (r == Step::kOk) {
      const char c = s_[i_];
      if (c == '\0' || c == ';') break;
      if (is_blank(c)) {
        ++i_;
        continue;
      }
      r = dispatch(c);
    }
    if (r != Step::kOk) return r;
    if ((r = finish_operand()) != Step::kOk) return r;
    if (p_.newline_position != 0 && p_.operand_count == 1 && p_.kind[0] == kOperandNewlineOnly) {
      return error(patmsg::kOnlyNewline);
    }
    return Step::kOk;
  }

 private:
  Step error(const char* m) { return line_error(st_, m); }

  // Digits and "*" at the very start: a multi-retype count.
  Step multi_retype_prefix() {
    int j = 0;
    while (is_digit(s_[j])) ++j;
    if (j == 0) return Step::kOk;
    if (s_[j] != '*') return j >= 2 ? error(patmsg::kMultiGrammar) : Step::kOk;
    if (j > 2 || (j == 2 && s_[0] == '0')) return error(patmsg::kMultiGrammar);
    int n = j == 1 ? s_[0] - '0' : (s_[0] - '0') * 10 + (s_[1] - '0');
    if (n == 0) n = kMaxMultiRetype;
    if (n > kMaxMultiRetype) {
      n = kMaxMultiRetype;
      line_warning(st_, patmsg::kMultiTooLarge);
    }
    p_.multi_retype = static_cast<short>(n);
    i_ = j + 1;
    after_qualifier_ = true;
    return Step::kOk;
  }

  Step dispatch(char c) {
    switch (c) {
      case '|': return bar();
      case '*': return star();
      case '#': return hash();
      case '%': return percent();
      case '!': return bang();
      case '+': return put_class('?', kOperandUnknownRun, i_, i_ + 1, true);
      case '&': return any_token();
      case '$': return end_of_field();
      case 'n': return end_of_line();
      case '0': return error(patmsg::kNullClass);
      case '\\': return escaped_class();
      case '{': return field();
      case '(': return range();
      case '=': return values();
      case '[': return condition();
      case '-':
        if (s_[i_ + 1] >= '1' && s_[i_ + 1] <= '9') return numeric_alpha(i_ + 1, true);
        return put_class('-', kOperandClass, i_, i_ + 1, false);
      default:
        break;
    }
    if (c >= '1' && c <= '9') return numeric_alpha(i_, false);
    if (is_class_letter(c)) {
      return put_class(c, c == '?' ? kOperandUnknownRun : kOperandClass, i_, i_ + 1, false);
    }
    return error(patmsg::kImproperInput);
  }

  // A class character must stand after a separator or a qualifier.
  bool stands_free(int at) const {
    return at == 0 || after_qualifier_ || is_blank(s_[at - 1]) || s_[at - 1] == '|';
  }
  // ... and be followed by a separator, ";", "=", "(", "[" or the line end.
  bool ends_well(int next) const {
    const char c = s_[next];
    return c == '\0' || is_blank(c) || c == '|' || c == ';' || c == '=' || c == '(' || c == '[';
  }

  bool previous_is_universal() const { return k_ > 0 && p_.kind[k_ - 1] == kOperandUniversal; }

  Step put_class(char c, OperandKind kind, int at, int next, bool single) {
    if (!stands_free(at) || !ends_well(next)) return error(patmsg::kImproperInput);
    if (op_.has_class) return error(patmsg::kTwoClasses);
    if (op_.float_pending && previous_is_universal()) {
      return error(patmsg::kFloatAfterUniversal);
    }
    if (op_.float_pending && op_.neg_pending && k_ > 0) {
      return line_error2(st_, patmsg::kFloatNegated1, patmsg::kFloatNegated2);
    }
    p_.cls[k_] = c;
    p_.kind[k_] = kind;
    p_.single[k_] = single ? 1 : 0;
    take_qualifiers();
    i_ = next;
    return Step::kOk;
  }

  void take_qualifiers() {
    if (op_.neg_pending) p_.negation[k_] = 1;
    if (op_.float_pending) p_.float_flag[k_] = 1;
    op_.float_pending = op_.neg_pending = op_.right_pending = false;
    op_.has_class = true;
    after_qualifier_ = false;
  }

  Step finish_operand() {
    if (!op_.has_class) {
      if (p_.multi_retype != 0) return error(patmsg::kMultiGrammar);
      if (op_.float_pending) return error(patmsg::kFloatNeedsClass);
      if (op_.right_pending) return error(patmsg::kFloatRightNeedsClass);
      if (op_.fixed) return error(patmsg::kFixedMisuse);
      if (op_.neg_pending || !op_.newline_pos || k_ != 0) return error(patmsg::kImproperInput);
      p_.kind[0] = kOperandNewlineOnly;
    }
    if (p_.multi_retype != 0 && p_.kind[0] != kOperandClass &&
        p_.kind[0] != kOperandUnknownRun) {
      return error(patmsg::kMultiGrammar);
    }
    if (eof_operand_ >= 0 && eof_operand_ < k_ && p_.kind[k_] != kOperandConditionOnly) {
      return error(patmsg::kEndOfFieldLast);
    }
    p_.operand_count = static_cast<short>(k_ + 1);
    return Step::kOk;
  }

  Step bar() {
    Step r = finish_operand();
    if (r != Step::kOk) return r;
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    if (k_ + 1 >= kMaxOperands) return error(patmsg::kMaxFields);
    ++k_;
    op_ = OperandState{};
    after_qualifier_ = false;
    ++i_;
    return Step::kOk;
  }

  Step star() {
    if (op_.neg_pending) return error(patmsg::kNegBeforeFloat);
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    if (op_.has_class) return error(patmsg::kImproperInput);
    if (op_.fixed || op_.newline_pos) return error(patmsg::kFixedMisuse);
    if (!op_.float_pending) {
      if (op_.right_pending) return error(patmsg::kImproperInput);
      op_.float_pending = true;
      after_qualifier_ = true;
      ++i_;
      return Step::kOk;
    }
    // A second "*": the universal class.
    if (op_.right_pending) return error(patmsg::kFloatRightNeedsClass);
    const char c = s_[skip_blanks(s_, i_ + 1)];
    if (c != '|' && c != '(' && c != ';' && c != '\0') {
      return line_error2(st_, patmsg::kTwoFloats1, patmsg::kTwoFloats2);
    }
    p_.kind[k_] = kOperandUniversal;
    take_qualifiers();
    ++i_;
    return Step::kOk;
  }

  Step hash() {
    if (k_ > 0) return error(patmsg::kFloatRightFirst);
    if (op_.fixed || op_.newline_pos) return error(patmsg::kFixedMisuse);
    if (op_.has_class || op_.float_pending || op_.neg_pending || op_.right_pending) {
      return error(patmsg::kImproperInput);
    }
    const int j = skip_blanks(s_, i_ + 1);
    if (s_[j] == 'n') {
      p_.newline_position = -1;
      op_.newline_pos = true;
      return after_newline(j + 1);
    }
    op_.right_pending = true;
    p_.float_right = 1;
    after_qualifier_ = true;
    ++i_;
    return Step::kOk;
  }

  // After `%` k `n` or `#` `n` only "%", "|" or a blank may follow.
  Step after_newline(int next) {
    const char c = s_[next];
    if (c != '%' && c != '|' && c != ';' && c != '\0' && !is_blank(c)) {
      return error(patmsg::kClassAfterNewline);
    }
    i_ = next;
    after_qualifier_ = false;
    return Step::kOk;
  }

  Step percent() {
    if (k_ > 0) return error(patmsg::kFixedFirst);
    if (op_.fixed || op_.has_class || op_.float_pending || op_.right_pending ||
        op_.neg_pending) {
      return error(patmsg::kFixedMisuse);
    }
    int j = i_ + 1;
    const bool negative = s_[j] == '-';
    if (negative) ++j;
    int digits = 0;
    while (is_digit(s_[j + digits])) ++digits;
    if (digits == 0 || digits > 2) return error(patmsg::kFixedBadNumber);
    int v = s_[j] - '0';
    if (digits == 2) v = v * 10 + (s_[j + 1] - '0');
    if (v == 0) return error(patmsg::kFixedZero);
    if (negative) v = -v;
    j += digits;
    const int after = skip_blanks(s_, j);
    if (s_[after] == 'n' && !op_.newline_pos) {
      p_.newline_position = static_cast<short>(v);
      op_.newline_pos = true;
      return after_newline(after + 1);
    }
    op_.fixed = true;
    p_.fixed_flag = 1;
    p_.fixed_position = static_cast<short>(v);
    after_qualifier_ = true;
    i_ = j;
    return Step::kOk;
  }

  Step bang() {
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    const char c = s_[skip_blanks(s_, i_ + 1)];
    // Followed by a separator, "!" is a class of its own.
    if (c == '|' || c == ';' || c == '\0' || c == '=' || c == '[') {
      return put_class('!', kOperandClass, i_, i_ + 1, false);
    }
    if (op_.neg_pending || op_.has_class) return error(patmsg::kImproperInput);
    op_.neg_pending = true;
    after_qualifier_ = true;
    ++i_;
    return Step::kOk;
  }

  Step any_token() {
    if (op_.neg_pending) return error(patmsg::kNegBeforeSingle);
    if (p_.multi_retype != 0) return error(patmsg::kMultiGrammar);
    return put_class('&', kOperandAnyToken, i_, i_ + 1, false);
  }

  Step end_of_field() {
    if (op_.float_pending || op_.neg_pending) return error(patmsg::kEndOfFieldQualified);
    if (k_ == 0) return error(patmsg::kEndOfFieldLast);
    if (previous_is_universal()) return error(patmsg::kEndOfFieldAfterUniversal);
    const char c = s_[i_ + 1];
    if (c != '\0' && c != '|' && c != '[' && c != ';' && !is_blank(c)) {
      return error(patmsg::kEndOfFieldLast);
    }
    if (!stands_free(i_)) return error(patmsg::kImproperInput);
    if (op_.has_class) return error(patmsg::kTwoClasses);
    p_.kind[k_] = kOperandEndOfField;
    take_qualifiers();
    eof_operand_ = k_;
    ++i_;
    return Step::kOk;
  }

  Step end_of_line() {
    if (op_.float_pending || op_.neg_pending) return error(patmsg::kEolQualified);
    if (k_ == 0 && !op_.fixed && !op_.newline_pos) return error(patmsg::kEolFirst);
    if (p_.multi_retype != 0) return error(patmsg::kMultiGrammar);
    if (!stands_free(i_) || !ends_well(i_ + 1)) return error(patmsg::kImproperInput);
    if (op_.has_class) return error(patmsg::kTwoClasses);
    p_.kind[k_] = kOperandEndOfLine;
    take_qualifiers();
    ++i_;
    return Step::kOk;
  }

  Step numeric_alpha(int digit_at, bool negative) {
    if (op_.neg_pending) return error(patmsg::kNotNumericAlpha);
    if (p_.multi_retype != 0) return error(patmsg::kMultiGrammar);
    Step r = put_class('?', kOperandNumericAlpha, i_, digit_at + 1, false);
    if (r != Step::kOk) return r;
    const int d = s_[digit_at] - '0';
    const int bound = negative ? -d : d;
    p_.range[k_][0] = p_.range[k_][1] = bound;
    p_.short_range[k_][0] = p_.short_range[k_][1] = static_cast<short>(bound);
    op_.has_range = true;
    return Step::kOk;
  }

  Step escaped_class() {
    const int j = skip_blanks(s_, i_ + 1);
    const char c = s_[j];
    if (c == '\0') return error(patmsg::kImproperInput);
    if (!stands_free(i_)) return error(patmsg::kImproperInput);
    after_qualifier_ = true;  // the class character stands right after the backslash
    return put_class(c, c == '?' ? kOperandUnknownRun : kOperandClass, j, j + 1, false);
  }

  Step field() {
    if (op_.float_pending || op_.neg_pending || op_.right_pending || p_.multi_retype != 0) {
      return error(patmsg::kImproperInput);
    }
    if (!stands_free(i_)) return error(patmsg::kImproperInput);
    const char a = s_[i_ + 1];
    const char b = a == '\0' ? '\0' : s_[i_ + 2];
    if (a == '\0' || a == '}' || b == '\0' || b == '}' || s_[i_ + 3] != '}') {
      return error(patmsg::kMatchKeySpec);
    }
    if (!ends_well(i_ + 4)) return error(patmsg::kImproperInput);
    if (op_.has_class) return error(patmsg::kTwoClasses);
    const char name[3] = {static_cast<char>(std::toupper(static_cast<unsigned char>(a))),
                          static_cast<char>(std::toupper(static_cast<unsigned char>(b))), '\0'};
    const int process = find_field_process(st_, name);
    if (process < 0) return error(patmsg::kFieldNotFound);
    p_.kind[k_] = kOperandField;
    p_.field_ref[k_] = 1;
    p_.field_process[k_] = static_cast<short>(process);
    p_.field_name[k_][0] = name[0];
    p_.field_name[k_][1] = name[1];
    p_.field_name[k_][2] = '\0';
    take_qualifiers();
    i_ += 4;
    return Step::kOk;
  }

  Step range() {
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    const short kind = p_.kind[k_];
    const bool allowed = !op_.has_class || (kind == kOperandClass && p_.cls[k_] == '^') ||
                         kind == kOperandUniversal || kind == kOperandField;
    if (op_.has_range || !allowed) return error(patmsg::kImproperRange);
    int r[2] = {0, 0};
    int j = i_;
    Step step = read_range(st_, s_, j, r);
    if (step != Step::kOk) return step;
    if (kind == kOperandUniversal && op_.has_class && (r[0] < 0 || r[1] < 0)) {
      return error(patmsg::kUniversalNegRange);
    }
    const char c = s_[j];
    if (c != '\0' && !is_blank(c) && c != '|' && c != ';' && c != '=' && c != '[') {
      return error(patmsg::kImproperInput);
    }
    if (!op_.has_class) {
      if (op_.float_pending && op_.neg_pending && k_ > 0) {
        return line_error2(st_, patmsg::kFloatNegated1, patmsg::kFloatNegated2);
      }
      if (op_.float_pending && previous_is_universal()) {
        return error(patmsg::kFloatAfterUniversal);
      }
      p_.cls[k_] = '?';
      p_.kind[k_] = kOperandUnknownRun;
      take_qualifiers();
    }
    for (int b = 0; b < 2; ++b) {
      p_.range[k_][b] = r[b];
      p_.short_range[k_][b] = to_short(r[b]);
    }
    op_.has_range = true;
    after_qualifier_ = false;
    i_ = j;
    return Step::kOk;
  }

  Step values() {
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    const short kind = p_.kind[k_];
    if (op_.has_class && kind == kOperandUniversal) {
      return line_error2(st_, patmsg::kTwoFloats1, patmsg::kTwoFloats2);
    }
    if (op_.float_pending) return error(patmsg::kFloatNeedsClass);
    if (op_.has_class && kind == kOperandEndOfField) return error(patmsg::kEndOfFieldLast);
    if (!op_.has_class || kind == kOperandEndOfLine || kind == kOperandConditionOnly ||
        op_.has_values || op_.has_condition) {
      return error(patmsg::kImproperInput);
    }
    Step r = parse_value_list(st_, s_, i_, p_, k_);
    if (r != Step::kOk) return r;
    op_.has_values = true;
    after_qualifier_ = false;
    return Step::kOk;
  }

  Step condition() {
    if (p_.multi_retype != 0) return error(patmsg::kMultiAlone);
    if (op_.has_class && p_.kind[k_] == kOperandUniversal) {
      return line_error2(st_, patmsg::kTwoFloats1, patmsg::kTwoFloats2);
    }
    if (op_.has_condition) return error(patmsg::kImproperInput);
    if (!op_.has_class) {
      if (op_.float_pending) return error(patmsg::kFloatNeedsClass);
      if (op_.right_pending) return error(patmsg::kFloatRightNeedsClass);
      if (op_.fixed) return error(patmsg::kFixedMisuse);
      if (op_.neg_pending) return error(patmsg::kImproperInput);
      p_.kind[k_] = kOperandConditionOnly;
      p_.condition_only[k_] = 1;
      p_.field_ref[k_] = 1;
      op_.has_class = true;
    }
    Step r = parse_condition(st_, s_, i_, p_, k_);
    if (r != Step::kOk) return r;
    const char c = s_[i_];
    if (c != '\0' && !is_blank(c) && c != '|' && c != ';') return error(patmsg::kImproperInput);
    op_.has_condition = true;
    after_qualifier_ = false;
    return Step::kOk;
  }

  PatternFileState& st_;
  Pattern& p_;
  const char* s_;
  int i_ = 0;
  int k_ = 0;
  int eof_operand_ = -1;
  bool after_qualifier_ = false;
  OperandState op_;
};

// Bit of a class in the pattern class flags; -1 for classes without one.
int class_bit(char c) {
  if (c >= 'A' && c <= 'Z') return c - 'A';
  switch (c) {
    case '^': return 26;
    case '<': return 27;
    case '>': return 28;
    case '?': return 29;
    case '@': return 30;
    case '#': case '&': case '-': return 31;
    default: return -1;
  }
}

}  // namespace

Step compile_pattern_line(PatternFileState& st, Pattern& p, const char* line) {
  return LineCompiler(st, p, line).run();
}

// Records the classes that the pattern needs once (word 0) and twice (word 1). Only bits of a
// value above 32 are recorded, so the classes A to F never enter the words; the any-token,
// universal, end and field operands need no class.
void set_class_flags(const Pattern& p, std::uint32_t flags[2]) {
  flags[0] = flags[1] = 0;
  for (int k = 0; k < p.operand_count && k < kMaxOperands; ++k) {
    const short kind = p.kind[k];
    if (p.negation[k] != 0) continue;
    if (kind != kOperandClass && kind != kOperandUnknownRun && kind != kOperandNumericAlpha) {
      continue;
    }
    const int bit = class_bit(p.cls[k]);
    if (bit < 0) continue;
    const std::uint32_t mask = std::uint32_t{1} << bit;
    if (mask <= 32) continue;
    if ((flags[0] & mask) != 0) {
      flags[1] |= mask;
    } else {
      flags[0] |= mask;
    }
  }
}

}  // namespace tovr
