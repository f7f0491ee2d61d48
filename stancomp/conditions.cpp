// Conditions: the test written in square brackets after a pattern operand.
//
// An expression reads  [left [LEN|PICT]] [op operand] relation right [op operand]: the left
// entity may be left out, and then stands for the operand itself. Entities are double-quoted
// literals, numbers, user variable names, {} (the operand) and match key fields {xx}; names
// and fields may carry a range. Expressions are joined by single "&" or "|", all alike.
// "A=" and "T=" written without a blank are comparison kinds; a user variable named A or T is
// written with a blank before its "=".
#include <cctype>
#include <cstring>

#include "frame/memory.h"
#include "frame/strings.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

constexpr int kMaxConditionVarName = 18;
constexpr int kMaxNumberDigits = 9;

bool is_digit(char c) { return c >= '0' && c <= '9'; }
char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }

void clear_entity(ConditionEntity& e) {
  std::memset(&e, 0, sizeof e);
  e.number = kNumberNotGiven;
  e.field_process = -1;
  e.range[0] = e.range[1] = kBoundNotGiven;
}

Condition* new_condition() {
  auto* c = static_cast<Condition*>(mem_alloc_zeroed(1, sizeof(Condition)));
  if (c == nullptr) return nullptr;
  for (ConditionExpression& e : c->expr) {
    clear_entity(e.left);
    clear_entity(e.left_operand);
    clear_entity(e.right);
    clear_entity(e.right_operand);
  }
  return c;
}

class ConditionParser {
 public:
  ConditionParser(PatternFileState& st, const char* s, int i, bool has_referent)
      : st_(st), s_(s), i_(i), has_referent_(has_referent) {}

  int position() const { return i_; }

  Step run(Condition& c) {
    ++i_;  // past "["
    for (;;) {
      if (c.count >= kMaxConditionExprs) return error(patmsg::kTooManyExprs);
      ConditionExpression& e = c.expr[c.count];
      e.compare_kind = kValuePlain;
      Step r = expression(e);
      if (r != Step::kOk) return r;
      ++c.count;
      skip();
      const char ch = s_[i_];
      if (ch == ']') {
        ++i_;
        return Step::kOk;
      }
      if (ch == '&' || ch == '|') {
        if (s_[i_ + 1] == ch) return error(patmsg::kDoubleLogical);
        if (c.logical != 0 && c.logical != ch) return error(patmsg::kMixedLogical);
        c.logical = ch;
        ++i_;
        continue;
      }
      if (ch == '\0' || ch == ';') return error(patmsg::kImproperInput);
      if (starts_entity() || relation_ahead() || attribute_ahead() != kAttrNone) {
        return error(patmsg::kNoLogical);
      }
      return invalid_condition_char(st_, ch);
    }
  }

 private:
  Step error(const char* m) { return line_error(st_, m); }
  void skip() { i_ = skip_blanks(s_, i_); }

  bool starts_entity() const {
    const char c = s_[i_];
    return c == '"' || c == '{' || is_digit(c) || (c == '-' && is_digit(s_[i_ + 1])) ||
           c == '_' || is_letter(static_cast<unsigned char>(c));
  }

  bool kind_relation_ahead() const {
    const char c = upper(s_[i_]);
    return (c == 'A' || c == 'T') && s_[i_ + 1] == '=';
  }

  bool relation_ahead() const {
    const char c = s_[i_];
    return c == '=' || c == '!' || c == '<' || c == '>' || kind_relation_ahead();
  }

  // LEN or PICT as a whole word.
  short attribute_ahead() const {
    int n = 0;
    while (is_name_char(s_[i_ + n])) ++n;
    if (n == 3 && str_nicmp(s_ + i_, "LEN", 3) == 0) return kAttrLen;
    if (n == 4 && str_nicmp(s_ + i_, "PICT", 4) == 0) return kAttrPict;
    return kAttrNone;
  }

  bool is_arith(char c) const {
    return c == '+' || c == '-' || c == '*' || c == '/' || c == '%';
  }

  static short arith_of(char c) {
    switch (c) {
      case '+': return kArithAdd;
      case '-': return kArithSub;
      case '*': return kArithMul;
      case '/': return kArithDiv;
      default: return kArithMod;
    }
  }

  Step expression(ConditionExpression& e) {
    skip();
    Step r = left_side(e);
    if (r != Step::kOk) return r;
    skip();
    if (is_arith(s_[i_])) {
      if (e.left.kind == kEntityLiteral || e.attribute == kAttrPict) {
        return error(patmsg::kArithLiteral);
      }
      e.left_arith = arith_of(s_[i_++]);
      if ((r = arith_operand(e.left_operand)) != Step::kOk) return r;
      skip();
    }
    if ((r = relation(e)) != Step::kOk) return r;
    skip();
    if (e.attribute == kAttrPict) return picture(e);
    if (attribute_ahead() != kAttrNone) return error(patmsg::kAttrNoLeft);
    if (!starts_entity()) return error(patmsg::kNoRvalue);
    if ((r = entity(e.right, patmsg::kNoRvalue)) != Step::kOk) return r;
    skip();
    if (is_arith(s_[i_])) {
      if (e.right.kind == kEntityLiteral) return error(patmsg::kArithLiteral);
      e.right_arith = arith_of(s_[i_++]);
      if ((r = arith_operand(e.right_operand)) != Step::kOk) return r;
    }
    if (e.right.kind == kEntityLiteral && e.left_arith != kArithNone) {
      return error(patmsg::kArithLiteral);
    }
    return Step::kOk;
  }

  Step left_side(ConditionExpression& e) {
    if (kind_relation_ahead() || (relation_ahead() && !starts_entity())) {
      if (!has_referent_) return error(patmsg::kNoLvalue);
      e.left.kind = kEntityOperand;
      return Step::kOk;
    }
    const short attr = attribute_ahead();
    if (attr != kAttrNone) {
      if (!has_referent_) return error(patmsg::kAttrNoLeft);
      e.left.kind = kEntityOperand;
      e.attribute = attr;
      i_ += attr == kAttrLen ? 3 : 4;
      return Step::kOk;
    }
    if (!starts_entity()) {
      const char c = s_[i_];
      if (c == ']' || c == '&' || c == '|' || c == '\0' || c == ';' || is_arith(c)) {
        return error(patmsg::kNoLvalue);
      }
      return invalid_condition_char(st_, c);
    }
    Step r = entity(e.left, patmsg::kNoLvalue);
    if (r != Step::kOk) return r;
    skip();
    const short after = attribute_ahead();
    if (after != kAttrNone) {
      e.attribute = after;
      i_ += after == kAttrLen ? 3 : 4;
    }
    return Step::kOk;
  }

  Step arith_operand(ConditionEntity& operand) {
    skip();
    if (s_[i_] == '"') return error(patmsg::kArithLiteral);
    if (!starts_entity() || kind_relation_ahead()) return error(patmsg::kNoArithOperand);
    return entity(operand, patmsg::kNoArithOperand);
  }

  Step relation(ConditionExpression& e) {
    const char c = s_[i_];
    if (kind_relation_ahead()) {
      e.compare_kind = upper(c) == 'A' ? kValueAbbrev : kValueText;
      e.relational = kRelEq;
      i_ += 2;
      return Step::kOk;
    }
    switch (c) {
      case '=':
        e.relational = kRelEq;
        ++i_;
        return Step::kOk;
      case '!':
        if (s_[i_ + 1] != '=') return error(patmsg::kBang);
        e.relational = kRelNe;
        i_ += 2;
        return Step::kOk;
      case '<':
      case '>': {
        const bool eq = s_[i_ + 1] == '=';
        e.relational = c == '<' ? (eq ? kRelLe : kRelLt) : (eq ? kRelGe : kRelGt);
        i_ += eq ? 2 : 1;
        return Step::kOk;
      }
      default:
        break;
    }
    if (starts_entity() && c != '"' && e.left.kind != kEntityLiteral &&
        e.attribute != kAttrPict) {
      return error(patmsg::kNoArithOp);
    }
    return error(patmsg::kNoRelational);
  }

  Step picture(ConditionExpression& e) {
    if (e.relational != kRelEq && e.relational != kRelNe) return error(patmsg::kPictOps);
    if (s_[i_] != '"') return error(patmsg::kPictQuoted);
    int j = i_ + 1;
    int n = 0;
    while (s_[j] != '\0' && s_[j] != '"') {
      const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(s_[j])));
      if (c != 'n' && c != 'c') return error(patmsg::kPictLetters);
      if (n + 1 >= kConditionLiteralSize) return error(patmsg::kStringTooLong);
      e.right.literal[n++] = c;
      ++j;
    }
    if (s_[j] != '"') return error(patmsg::kPictQuoted);
    e.right.literal[n] = '\0';
    e.right.kind = kEntityLiteral;
    i_ = j + 1;
    return Step::kOk;
  }

  Step entity(ConditionEntity& en, const char* missing) {
    const char c = s_[i_];
    if (c == '"') return literal(en, missing);
    if (is_digit(c) || c == '-') return number(en, missing);
    Step r = c == '{' ? field(en) : variable(en);
    if (r != Step::kOk) return r;
    const int j = skip_blanks(s_, i_);
    if (s_[j] == '(') {
      i_ = j;
      return read_range(st_, s_, i_, en.range);
    }
    return Step::kOk;
  }

  Step literal(ConditionEntity& en, const char* missing) {
    int j = i_ + 1;
    int n = 0;
    while (s_[j] != '\0' && s_[j] != '"') {
      // Reading stops at 200 characters; the expression keeps 49.
      if (n >= kMaxLiteral || n + 1 >= kConditionLiteralSize) {
        return error(patmsg::kStringTooLong);
      }
      en.literal[n++] = upper(s_[j]);
      ++j;
    }
    if (s_[j] != '"') return error(missing);
    en.literal[n] = '\0';
    en.kind = kEntityLiteral;
    i_ = j + 1;
    return Step::kOk;
  }

  Step number(ConditionEntity& en, const char* missing) {
    int j = i_;
    const bool negative = s_[j] == '-';
    if (negative) ++j;
    int v = 0;
    int digits = 0;
    while (is_digit(s_[j])) {
      if (++digits > kMaxNumberDigits) return error(missing);
      v = v * 10 + (s_[j++] - '0');
    }
    if (digits == 0 || is_name_char(s_[j])) return error(missing);
    en.kind = kEntityNumber;
    en.number = negative ? -v : v;
    i_ = j;
    return Step::kOk;
  }

  Step field(ConditionEntity& en) {
    if (s_[i_ + 1] == '}') {
      if (!has_referent_) return error(patmsg::kNoReferent);
      en.kind = kEntityOperand;
      i_ += 2;
      return Step::kOk;
    }
    int j = i_ + 1;
    while (s_[j] != '\0' && s_[j] != '}') ++j;
    if (s_[j] != '}') return error(patmsg::kMissingFieldEnd);
    if (j - i_ - 1 != 2) return error(patmsg::kMatchKeySpec);
    const char name[3] = {upper(s_[i_ + 1]), upper(s_[i_ + 2]), '\0'};
    const int process = find_field_process(st_, name);
    if (process < 0) return error(patmsg::kFieldNotFound);
    en.kind = kEntityField;
    std::memcpy(en.field, name, sizeof name);
    en.field_process = static_cast<short>(process);
    i_ = j + 1;
    return Step::kOk;
  }

  Step variable(ConditionEntity& en) {
    int n = 0;
    while (is_name_char(s_[i_ + n])) ++n;
    if (n > kMaxConditionVarName) return error(patmsg::kVarTooLong);
    std::memcpy(en.variable, s_ + i_, static_cast<std::size_t>(n));
    en.variable[n] = '\0';
    if (is_reserved_word(en.variable) || find_user_var(st_.out->user_vars, en.variable) < 0) {
      return error(patmsg::kVarUndefined);
    }
    en.kind = kEntityVariable;
    i_ += n;
    return Step::kOk;
  }

  PatternFileState& st_;
  const char* s_;
  int i_;
  bool has_referent_;
};

}  // namespace

Step parse_condition(PatternFileState& st, const char* s, int& i, Pattern& p, int k) {
  Condition* c = new_condition();
  if (c == nullptr) return no_memory(patmsg::kNoMemPCondition);
  p.pCondition[k] = c;
  ConditionParser parser(st, s, i, p.kind[k] != kOperandConditionOnly);
  Step r = parser.run(*c);
  if (r == Step::kOk) i = parser.position();
  return r;
}

}  // namespace tovr
