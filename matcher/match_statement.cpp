// MATCH and RMATCH: a comparison of a match key field with candidate variables. The operand
// positions depend on the type; the checks run in a fixed order and the first that fails
// ends the statement.
#include <cstring>
#include <initializer_list>

#include "frame/memory.h"
#include "matcher/mt_messages.h"
#include "matcher/rules_operands.h"
#include "matcher/rules_parser.h"
#include "matcher/weights.h"

namespace tovr {

namespace text = mt_text;

// Operand positions of one MATCH statement (0 is the keyword, 1 the type); -1 is absent.
struct MatchLayout {
  bool reverse = false;
  std::int16_t type = kCompareNone;
  std::int16_t rule_type = kCompareNone;  // the type whose PARAM rule applies
  int required = 0;
  int mk = -1;
  int mk2 = -1;
  int items = -1;  // nAItems of ARRAY
  int cand[4] = {-1, -1, -1, -1};
  int cand_count = 0;
  int m = -1;
  int u = -1;
  int param = -1;
  int mode = -1;
  bool param2 = false;  // a PARAM2 may follow the required operands
};

namespace {

bool takes_param(std::int16_t type) {
  switch (type) {
    case kUncert:
    case kLrUncert:
    case kDate8:
    case kDate6:
    case kProrat:
    case kTime:
    case kAbs:
    case kDelta:
    case kCnt:
    case kDistance:
      return true;
    default:
      return false;
  }
}

bool takes_param2(std::int16_t type) {
  switch (type) {
    case kDate8:
    case kDate6:
    case kProrat:
    case kTime:
    case kAbs:
    case kDelta:
      return true;
    default:
      return false;
  }
}

bool reverse_allowed(std::int16_t type) {
  switch (type) {
    case kArray:
    case kDistance:
    case kDoubleInterval:
    case kIntervalNo:
    case kIntervalPar:
    case kLrChar:
    case kLrUncert:
      return false;
    default:
      return true;
  }
}

// Types whose comparison has no frequency counterpart.
bool never_frequency(std::int16_t type) {
  switch (type) {
    case kLrChar:
    case kLrUncert:
    case kIntervalNo:
    case kIntervalPar:
    case kDoubleInterval:
    case kDistance:
    case kIntToInt:
      return true;
    default:
      return false;
  }
}

// The message for a PARAM outside the range of its type, or null.
const char* param_problem(std::int16_t type, float value) {
  switch (type) {
    case kDelta:
      return (value < 0.0f || value > 100.0f) ? text::kParamDelta : nullptr;
    case kUncert:
    case kLrUncert:
      return (value < 0.0f || value > 900.0f) ? text::kParamUncert : nullptr;
    default:
      return value < 0.0f ? text::kParamNegative : nullptr;
  }
}

void set_candidates(MatchLayout& l, std::initializer_list<int> positions) {
  l.cand_count = 0;
  for (int p : positions) l.cand[l.cand_count++] = p;
}

// Operand positions by type; ARRAY takes its PARAM from its element type.
void place_operands(std::int16_t element, MatchLayout& l) {
  switch (l.type) {
    case kLrChar:
    case kIntervalNo:
    case kIntervalPar:
      l.mk = 2, l.m = 5, l.u = 6, l.mode = 7, l.required = 8;
      set_candidates(l, {3, 4});
      break;
    case kLrUncert:
      l.mk = 2, l.m = 5, l.u = 6, l.param = 7, l.mode = 8, l.required = 9;
      set_candidates(l, {3, 4});
      break;
    case kDoubleInterval:
      l.mk = 2, l.m = 7, l.u = 8, l.mode = 9, l.required = 10;
      set_candidates(l, {3, 4, 5, 6});
      break;
    case kDistance:
      l.mk = 2, l.mk2 = 3, l.m = 6, l.u = 7, l.param = 8, l.required = 9;
      set_candidates(l, {4, 5});
      break;
    case kIntToInt:
      l.mk = 2, l.mk2 = 3, l.m = 6, l.u = 7, l.mode = 8, l.required = 9;
      set_candidates(l, {4, 5});
      break;
    case kArray:
      l.mk = 3, l.items = 4, l.m = 6, l.u = 7, l.required = 8;
      set_candidates(l, {5});
      if (takes_param(element)) l.param = 8, l.required = 9;
      break;
    default:  // one match key field against one variable
      l.mk = 2, l.m = 4, l.u = 5, l.required = 6;
      set_candidates(l, {3});
      if (takes_param(l.type)) l.param = 6, l.required = 7;
      break;
  }
  l.rule_type = l.type == kArray ? element : l.type;
  l.param2 = takes_param2(l.rule_type);
}

}  // namespace

void RulesParser::statement_match(bool reverse) {
  MatchLayout layout;
  layout.reverse = reverse;
  if (!match_layout(reverse, layout)) return;
  MatchDef def;
  int first_var = -1;
  if (!match_fields(layout, def, &first_var)) return;
  if (!match_numbers(layout, def)) return;
  if (!match_array_kind(layout, first_var)) return;
  store_match(layout, def, first_var);
}

// Type, element type, reverse and operand count.
bool RulesParser::match_layout(bool reverse, MatchLayout& layout) {
  const char* type_operand = ops_[1];
  layout.type = find_compare_type(type_operand);
  if (layout.type == kCompareNone) {
    error_with(text::kMatchType, type_operand);
    return false;
  }
  std::int16_t element = kCompareNone;
  if (layout.type == kArray) {
    element = find_element_type(ops_[2]);
    if (element == kCompareNone) {
      error_with(text::kArrayElementType, ops_[2]);
      return false;
    }
  }
  if (reverse && !reverse_allowed(layout.type)) {
    error_with(text::kReverseType, type_operand);
    return false;
  }
  place_operands(element, layout);
  if (ops_.count < layout.required) {
    error_with(text::kMatchOperands, layout.required);
    return false;
  }
  return true;
}

// Match key fields, nAItems and candidate variables.
bool RulesParser::match_fields(const MatchLayout& layout, MatchDef& def, int* first_var) {
  const char* mk = ops_[layout.mk];
  if (std::strlen(mk) > 2) {
    error(text::kMkNameLong);
    return false;
  }
  MatchKeyField field;
  if (!fields_.find(mk, &field)) {
    error(text::kMkUndefined);
    return false;
  }
  def.mk = {field.offset, field.length};
  def.mk_missing = field.missing;
  if (layout.mk2 >= 0) {
    MatchKeyField second;
    if (!fields_.find(ops_[layout.mk2], &second)) {
      error(text::kMk2Undefined);
      return false;
    }
    def.mk2 = {second.offset, second.length};
  }
  if (layout.items >= 0) {
    const char* items = ops_[layout.items];
    if (!is_numeric_operand(items)) {
      error_with(text::kItemsNumeric, items);
      return false;
    }
    // The match key field is cut into nAItems items of the variable's item table, which
    // has kMaxItems slots; 0 items would leave nothing to divide the field by.
    def.item_count = operand_int(items);
    if (def.item_count < 1 || def.item_count > kMaxItems) {
      error_with(text::kItemsRange, items);
      return false;
    }
  }
  int vars[4] = {-1, -1, -1, -1};
  for (int i = 0; i < layout.cand_count; ++i) {
    vars[i] = find_variable(ops_[layout.cand[i]]);
    if (vars[i] < 0) {
      error(text::kCandUndefined[i]);
      return false;
    }
  }
  if (vars_[vars[0]].match != nullptr) {
    error(text::kOneMatchPerField);
    return false;
  }
  def.cand_fields = static_cast<std::int16_t>(layout.cand_count);
  for (int i = 0; i < layout.cand_count; ++i) {
    def.cand[i] = {vars_[vars[i]].start, vars_[vars[i]].length};
  }
  def.cand_missing = vars_[vars[0]].missing;
  *first_var = vars[0];
  return true;
}

// Probabilities, PARAM, PARAM2 and MODE.
bool RulesParser::match_numbers(const MatchLayout& layout, MatchDef& def) {
  const char* m_operand = ops_[layout.m];
  const char* u_operand = ops_[layout.u];
  if (!is_numeric_operand(m_operand)) {
    error_with(text::kMprobCharacter, m_operand);
    return false;
  }
  if (!is_numeric_operand(u_operand)) {
    error_with(text::kUprobCharacter, u_operand);
    return false;
  }
  def.mprob = operand_float(m_operand);
  def.uprob = operand_float(u_operand);
  if (!(def.mprob > 0.0f && def.mprob < 1.0f) || !(def.uprob > 0.0f && def.uprob < 1.0f)) {
    error(text::kProbRange);
    return false;
  }
  if (def.mprob < def.uprob) {
    error(text::kUprobAbove);
    return false;
  }

  const auto param_fits = [&](float value) {
    const char* problem = param_problem(layout.rule_type, value);
    if (problem != nullptr) error(problem);
    return problem == nullptr;
  };
  if (layout.param >= 0) {
    def.param = operand_float(ops_[layout.param]);
    def.param_count = 1;
    if (!param_fits(def.param)) return false;
    if (layout.param2 && ops_.count == layout.required + 1) {
      def.param2 = operand_float(ops_[layout.required]);
      def.param_count = 2;
      if (!param_fits(def.param2)) return false;
    }
  }

  if (layout.mode >= 0) {
    const char* mode = ops_[layout.mode];
    const auto begins = [mode](const char* word) {
      return std::strncmp(mode, word, std::strlen(word)) == 0;
    };
    if (layout.type == kLrChar || layout.type == kLrUncert) {
      if (begins(text::kWordBasedPrev)) {
        def.mode = kBasedPrev;
      } else if (begins(text::kWordEither)) {
        def.mode = kEither;
      } else {
        error(text::kModeLr);
        return false;
      }
    } else if (begins(text::kWordZeroVal)) {
      def.mode = kZeroVal;
    } else if (begins(text::kWordZeroNul)) {
      def.mode = kZeroNul;
    } else {
      error(text::kModeInterval);
      return false;
    }
  }
  return true;
}

// Only ARRAY compares array variables, and ARRAY compares nothing else.
bool RulesParser::match_array_kind(const MatchLayout& layout, int first_var) {
  const bool is_array = vars_[first_var].is_array != 0;
  const char* cand = ops_[layout.cand[0]];
  if (layout.type == kArray && !is_array) {
    error_with(text::kNotArrayVar, cand);
    return false;
  }
  if (layout.type != kArray && is_array) {
    error_with(text::kArrayVar, cand);
    error(text::kArrayVarSecond);
    return false;
  }
  return true;
}

void RulesParser::store_match(const MatchLayout& layout, MatchDef& def, int first_var) {
  VarDef& var = vars_[first_var];
  def.type = layout.type;
  def.reverse = layout.reverse ? 1 : 0;
  const WeightSet w = compute_weights(def.mprob, def.uprob);
  def.agree = w.agree;
  def.disagree = w.disagree;
  def.middle = w.middle;
  def.freq_flag = never_frequency(layout.type) ? 'N' : 'Y';
  if (layout.type == kArray) {
    def.element_type = layout.rule_type;
    def.array_number = var.array_number;
    def.cand_item_count = var.item_count;
    def.mk_count = Span{};
    def.mk_count_missing = ' ';
    def.cand_count_var = var.count_var;
    if (var.count_var >= 0) {
      const VarDef& counter = vars_[var.count_var];
      def.cand_count = {counter.start, counter.length};
      def.cand_count_missing = counter.missing;
    }
    def.items = var.items;
    const int item_length = def.mk.length / def.item_count;
    for (int i = 0; i < def.item_count; ++i) {
      var.items->item[i].mk_offset = static_cast<std::int16_t>(def.mk.start + i * item_length);
      var.items->item[i].mk_length = static_cast<std::int16_t>(item_length);
    }
  }
  MatchDef* stored = make<MatchDef>(def);
  if (stored == nullptr) {
    no_memory_ = true;
    return;
  }
  var.match = stored;
  rules_.defs[first_var] = stored;
  ++rules_.match_count;
}

}  // namespace tovr
