// The statements that describe the candidate record (VAR, ARRAY_SEP, ARRAY_ITEM, ARRAY_ADJ),
// the frequency option (VARTYPE) and the cut-off weight (CUTOFF). Each check lists its error
// and ends the statement.
#include <cstring>

#include "frame/strings.h"
#include "matcher/mt_messages.h"
#include "matcher/rules_operands.h"
#include "matcher/rules_parser.h"

namespace tovr {
namespace {

namespace text = mt_text;

std::int16_t clamp16(int value) { return static_cast<std::int16_t>(value > 32767 ? 32767 : value); }

}  // namespace

// VAR name start length missing
void RulesParser::statement_var() {
  if (ops_.count != 5) return error(text::kVarOperands);
  const char* name = ops_[1];
  if (!check_name(name, kVariableNameMax, text::kVarNameLong, text::kVarNameAlpha)) return;
  if (!is_numeric_operand(ops_[2])) return error(text::kVarStartNumeric);
  if (!is_numeric_operand(ops_[3])) return error(text::kVarLengthNumeric);
  const char missing = missing_code(ops_[4][0]);
  if (missing == '\0') return error(text::kMissingCode);
  if (find_variable(name) >= 0) return error(text::kAlreadyDefined);
  VarDef* v = new_variable(name, false, 0);
  if (v == nullptr) return;
  v->start = static_cast<std::int16_t>(operand_int(ops_[2]) - 1);
  v->length = operand_int(ops_[3]);
  v->missing = missing;
}

// ARRAY_SEP name nitems missing [countvar]; its items follow on ARRAY_ITEM lines.
void RulesParser::statement_array_sep() {
  if (ops_.count != 4 && ops_.count != 5) return error(text::kSepOperands);
  const char* name = ops_[1];
  if (!check_name(name, kVariableNameMax, text::kSepNameLong, text::kSepNameAlpha)) return;
  if (!is_numeric_operand(ops_[2])) return error(text::kSepItemsNumeric);
  if (std::strlen(ops_[3]) != 1) return error(text::kSingleMissing);
  const char missing = missing_code(ops_[3][0]);
  if (missing == '\0') return error(text::kMissingCode);
  if (find_variable(name) >= 0) return error(text::kAlreadyDefined);
  std::int16_t count_var = -1;
  if (ops_.count == 5 && !check_count_variable(ops_[4], kVariableNameMax, text::kSepCountLong,
                                               text::kSepCountAlpha, &count_var)) {
    return;
  }
  const std::int16_t items = operand_int(ops_[2]);
  if (items < 1) return error(text::kSepItemsZero);
  // The item table has kMaxItems slots.
  if (items > kMaxItems) return error(text::kTooManyItems);
  VarDef* v = new_variable(name, true, items);
  if (v == nullptr) return;
  v->missing = missing;
  v->count_var = count_var;
}

// ARRAY_ITEM item start length, for the array defined last.
void RulesParser::statement_array_item() {
  if (ops_.count != 4) return error(text::kItemOperands);
  if (!is_numeric_operand(ops_[1])) return error(text::kItemNumberNumeric);
  if (!is_numeric_operand(ops_[2])) return error(text::kItemStartNumeric);
  if (!is_numeric_operand(ops_[3])) return error(text::kItemLengthNumeric);
  const std::int16_t item = operand_int(ops_[1]);
  const std::int16_t start = operand_int(ops_[2]);
  const std::int16_t length = operand_int(ops_[3]);
  if (item < 1) return error(text::kItemZero);
  // Without an array defined last there are no items to place.
  VarDef* v = var_count_ > 0 ? &vars_[var_count_ - 1] : nullptr;
  const int declared = (v != nullptr && v->is_array) ? v->item_count : 0;
  if (item > declared) return error(text::kItemBeyond);
  if (start < 1) return error(text::kItemColumnZero);
  if (item == 1 && !previous_line_is_array_sep()) return error(text::kItemNotAfterSep);
  ItemSlot& slot = v->items->item[item - 1];
  slot.cand_start = static_cast<std::int16_t>(start - 1);
  slot.cand_length = length;
  if (item == 1) {
    v->start = slot.cand_start;
    v->length = length;
  }
}

// ARRAY_ADJ name start length nitems missing [countvar]: items laid end to end.
void RulesParser::statement_array_adj() {
  if (ops_.count != 6 && ops_.count != 7) return error(text::kAdjOperands);
  const char* name = ops_[1];
  if (!check_name(name, kVariableNameMax, text::kAdjNameLong, text::kAdjNameAlpha)) return;
  if (!is_numeric_operand(ops_[2])) return error(text::kAdjStartNumeric);
  if (!is_numeric_operand(ops_[3])) return error(text::kAdjLengthNumeric);
  if (!is_numeric_operand(ops_[4])) return error(text::kAdjItemsNumeric);
  const char missing = missing_code(ops_[5][0]);
  if (missing == '\0') return error(text::kMissingCode);
  if (find_variable(name) >= 0) return error(text::kAlreadyDefined);
  std::int16_t count_var = -1;
  if (ops_.count == 7 && !check_count_variable(ops_[6], kVariableNameMax - 1, text::kAdjCountLong,
                                               text::kAdjCountAlpha, &count_var)) {
    return;
  }
  const std::int16_t items = operand_int(ops_[4]);
  if (items > kMaxItems) return error(text::kTooManyItems);
  VarDef* v = new_variable(name, true, items);
  if (v == nullptr) return;
  const int start = operand_int(ops_[2]) - 1;
  const std::int16_t length = operand_int(ops_[3]);
  for (int i = 0; i < items; ++i) {
    // A start beyond 16 bits lies outside every record and is kept at the largest column.
    v->items->item[i].cand_start = clamp16(start + i * length);
    v->items->item[i].cand_length = length;
  }
  v->start = static_cast<std::int16_t>(start);
  v->length = length;
  v->missing = missing;
  v->count_var = count_var;
}

// VARTYPE name NOFREQ, after the variable's MATCH.
void RulesParser::statement_vartype() {
  if (ops_.count != 3) return error(text::kVarTypeOperands);
  const char* name = ops_[1];
  if (!check_name(name, kVariableNameMax, text::kVarTypeNameLong, text::kVarTypeNameAlpha)) {
    return;
  }
  if (str_icmp(ops_[2], text::kWordNoFreq) != 0) return error(text::kVarTypeNoFreq);
  const int index = find_variable(name);
  if (index < 0 || vars_[index].match == nullptr) return error(text::kVarTypeUndefined);
  vars_[index].match->freq_flag = 'N';
}

// CUTOFF weight; a later one replaces an earlier one.
void RulesParser::statement_cutoff() {
  if (ops_.count != 2) return error(text::kCutoffOperands);
  if (!is_numeric_operand(ops_[1])) return error(text::kCutoffNumeric);
  rules_.cutoff = operand_float(ops_[1]);
}

}  // namespace tovr
