// Conditions (testConditions): expressions evaluated left to right and joined by "&" or "|".
//
// An expression compares as numbers when its right entity is a number, or when LEN or an
// arithmetic operator makes a number of it; otherwise as texts in unsigned byte order. Texts
// read as numbers the way a decimal conversion does (leading blanks, a sign, digits; 0 when
// there are none). Division or remainder by zero is a failure of the condition.
#include <cstdio>
#include <cstring>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stancomp/as_codes.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/operand_text.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

struct EntityText {
  char text[kOperandTextSize];
  char abbrev[kTokenAbbrevSize];
};

class ConditionEval {
 public:
  ConditionEval(RunState& r, int k) : r_(r), k_(k) {}

  // 1 true, 0 false, -1 failure.
  int evaluate(const Condition& c) {
    int result = 1;
    for (int i = 0; i < c.count && i < kMaxConditionExprs; ++i) {
      result = expression(c.expr[i]);
      if (result < 0) return -1;
      if (c.logical == '|' && result == 1) return 1;
      if (c.logical == '&' && result == 0) return 0;
    }
    return result;
  }

 private:
  bool entity_text(const ConditionEntity& e, EntityText& out) {
    out.abbrev[0] = '\0';
    const char* message = engine_text::kRangeSupplied;
    switch (e.kind) {
      case kEntityOperand:
        operand_match_text(r_, k_, out.text, out.abbrev);
        message = engine_text::kRangeSpecified;
        break;
      case kEntityLiteral:
        copy_text(out.text, sizeof out.text, e.literal);
        break;
      case kEntityNumber:
        std::snprintf(out.text, sizeof out.text, "%d", e.number);
        break;
      case kEntityVariable: {
        const char* value = user_variable(*r_.stan, e.variable);
        if (value == nullptr) return false;
        copy_text(out.text, sizeof out.text, value);
        break;
      }
      case kEntityField: {
        const int p = e.field_process;
        if (p < 0 || p >= kMaxProcesses) return false;
        char value[kFieldValueSize] = {};
        if (TOVR_mkGet(r_.stan->mk, r_.stan->processMatchKey[p], e.field, value) != 0) {
          return false;
        }
        copy_text(out.text, sizeof out.text, value);
        break;
      }
      default:
        out.text[0] = '\0';
        return true;
    }
    str_trim(out.text);
    if (range_given(e.range)) apply_text_range(out.text, e.range, message);
    return true;
  }

  bool number_of(const ConditionEntity& e, long long* value) {
    if (e.kind == kEntityNumber) {
      *value = e.number;
      return true;
    }
    EntityText t;
    if (!entity_text(e, t)) return false;
    *value = to_number(t.text);
    return true;
  }

  static long long to_number(const char* text) {
    const char* p = text;
    while (*p == ' ') ++p;
    const bool negative = *p == '-';
    if (*p == '-' || *p == '+') ++p;
    long long v = 0;
    for (; *p >= '0' && *p <= '9'; ++p) {
      if (v < 1000000000000LL) v = v * 10 + (*p - '0');
    }
    return negative ? -v : v;
  }

  static bool arith(short op, long long a, long long b, long long* out) {
    switch (op) {
      case kArithAdd:
        *out = a + b;
        return true;
      case kArithSub:
        *out = a - b;
        return true;
      case kArithMul:
        *out = a * b;
        return true;
      case kArithDiv:
        if (b == 0) return false;
        *out = a / b;
        return true;
      case kArithMod:
        if (b == 0) return false;
        *out = a % b;
        return true;
      default:
        *out = a;
        return true;
    }
  }

  static int compare_relation(short rel, int order) {
    switch (rel) {
      case kRelEq:
        return order == 0;
      case kRelNe:
        return order != 0;
      case kRelLt:
        return order < 0;
      case kRelGt:
        return order > 0;
      case kRelLe:
        return order <= 0;
      case kRelGe:
        return order >= 0;
      default:
        return 0;
    }
  }

  static int sign(long long v) { return v < 0 ? -1 : (v > 0 ? 1 : 0); }

  static bool picture_holds(const char* text, const char* picture) {
    std::size_t i = 0;
    for (; picture[i] != '\0'; ++i) {
      const auto c = static_cast<unsigned char>(text[i]);
      if (c == '\0') return false;
      if (picture[i] == 'n' ? !(c >= '0' && c <= '9') : !is_letter(c)) return false;
    }
    return text[i] == '\0';
  }

  int expression(const ConditionExpression& e) {
    if (e.attribute == kAttrPict) {
      EntityText left;
      if (!entity_text(e.left, left)) return -1;
      const bool holds = picture_holds(left.text, e.right.literal);
      return e.relational == kRelNe ? !holds : holds;
    }
    const bool numeric = e.right.kind == kEntityNumber || e.attribute == kAttrLen ||
                         e.left_arith != kArithNone || e.right_arith != kArithNone;
    if (numeric) return numeric_expression(e);
    EntityText left;
    EntityText right;
    if (!entity_text(e.left, left) || !entity_text(e.right, right)) return -1;
    const int by_text = compare_relation(e.relational, order(left.text, right.text));
    if (e.left.kind != kEntityOperand || e.compare_kind == kValueText) return by_text;
    const int by_abbrev = compare_relation(e.relational, order(left.abbrev, right.text));
    if (e.compare_kind == kValueAbbrev) return by_abbrev;
    // A plain "=" on the operand holds for its text or its abbreviation, like a value list.
    if (left.abbrev[0] == '\0') return by_text;
    if (e.relational == kRelEq) return by_text || by_abbrev;
    if (e.relational == kRelNe) return by_text && by_abbrev;
    return by_text;
  }

  static int order(const char* a, const char* b) {
    const int c = std::strcmp(a, b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
  }

  int numeric_expression(const ConditionExpression& e) {
    long long left = 0;
    if (e.attribute == kAttrLen) {
      EntityText t;
      if (!entity_text(e.left, t)) return -1;
      left = static_cast<long long>(std::strlen(t.text));
    } else if (!number_of(e.left, &left)) {
      return -1;
    }
    long long operand = 0;
    if (e.left_arith != kArithNone &&
        (!number_of(e.left_operand, &operand) || !arith(e.left_arith, left, operand, &left))) {
      return -1;
    }
    long long right = 0;
    if (!number_of(e.right, &right)) return -1;
    if (e.right_arith != kArithNone &&
        (!number_of(e.right_operand, &operand) || !arith(e.right_arith, right, operand, &right))) {
      return -1;
    }
    return compare_relation(e.relational, sign(left - right));
  }

  RunState& r_;
  int k_;
};

}  // namespace

Next condition_test(RunState& r, int k) {
  const Condition* c = r.pat->pCondition[k];
  if (c == nullptr) return Next::kNext;
  const int result = ConditionEval(r, k).evaluate(*c);
  if (result < 0) {
    run_error(r, as_status::kConditions, as_code_text(as_status::kConditions));
    return Next::kEnd;
  }
  return result == 1 ? Next::kNext : Next::kFail;
}

}  // namespace tovr
