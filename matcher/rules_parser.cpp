#include "matcher/rules_parser.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "frame/line_reader.h"
#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "matcher/mt_messages.h"

namespace tovr {
namespace {

// Writes one diagnostic to the listing file (when open) and to the console.
void list_diagnostic(Stream listing, int line_number, const char* message, const char* line) {
  file_message(listing, mt_text::kListingFormat, mt_text::kLabelError, line_number, message, line);
  short_console_message(mt_text::kListingFormat, mt_text::kLabelError, line_number, message, line);
}

}  // namespace

RulesParser::RulesParser(Rules& rules, FieldResolver& fields, Stream listing)
    : rules_(rules), fields_(fields), listing_(listing) {}

RulesParser::~RulesParser() {
  if (handed_over_) return;
  for (int i = 0; i < var_count_; ++i) destroy(vars_[i].items);
}

ParseResult RulesParser::parse(Stream in) {
  while (!no_memory_) {
    const ReadResult r = read_line(in, line_.text, RulesLine::kBufferSize);
    if (r == ReadResult::kEnd) break;
    if (r == ReadResult::kError) return ParseResult::kReadError;
    ++line_number_;
    parse_line();
  }
  if (no_memory_) return ParseResult::kNoMemory;
  return errors_ == 0 ? ParseResult::kClean : ParseResult::kErrors;
}

bool RulesParser::hand_over_variables() {
  if (var_count_ > 0) {
    auto* table = static_cast<VarDef*>(mem_alloc(sizeof(VarDef) * var_count_));
    if (table == nullptr) return false;
    std::uninitialized_copy(vars_, vars_ + var_count_, table);
    rules_.vars = table;
  }
  rules_.var_count = var_count_;
  rules_.array_count = array_count_;
  handed_over_ = true;
  return true;
}

void RulesParser::parse_line() {
  split_operands(line_.text, ops_);
  if (ops_.count == 0) return;
  for (int i = 0; i < ops_.cut; ++i) error(mt_text::kOperandTooLarge);
  if (ops_.too_many) error(mt_text::kTooManyOperands);
  dispatch();
  std::memcpy(previous_, line_.text, sizeof previous_);
}

void RulesParser::dispatch() {
  const char* keyword = ops_[0];
  if (str_icmp(keyword, mt_text::kKeyVar) == 0) {
    statement_var();
  } else if (str_icmp(keyword, mt_text::kKeyArraySep) == 0) {
    statement_array_sep();
  } else if (str_icmp(keyword, mt_text::kKeyArrayItem) == 0) {
    statement_array_item();
  } else if (str_icmp(keyword, mt_text::kKeyArrayAdj) == 0) {
    statement_array_adj();
  } else if (str_icmp(keyword, mt_text::kKeyVarType) == 0) {
    statement_vartype();
  } else if (str_icmp(keyword, mt_text::kKeyMatch) == 0) {
    statement_match(false);
  } else if (str_icmp(keyword, mt_text::kKeyReverseMatch) == 0) {
    statement_match(true);
  } else if (str_icmp(keyword, mt_text::kKeyCutoff) == 0) {
    statement_cutoff();
  } else {
    error(mt_text::kUnknownCommand);
  }
}

bool RulesParser::check_name(const char* name, int max_length, const char* too_long,
                             const char* not_alpha) {
  if (static_cast<int>(std::strlen(name)) > max_length) {
    error(too_long);
    return false;
  }
  if (!is_letter(static_cast<unsigned char>(name[0]))) {
    error(not_alpha);
    return false;
  }
  return true;
}

bool RulesParser::check_count_variable(const char* name, int max_length, const char* too_long,
                                       const char* not_alpha, std::int16_t* count_var) {
  if (!check_name(name, max_length, too_long, not_alpha)) return false;
  const int index = find_variable(name);
  if (index < 0) {
    error(mt_text::kCountVarUndefined);
    return false;
  }
  *count_var = static_cast<std::int16_t>(index);
  return true;
}

VarDef* RulesParser::new_variable(const char* name, bool is_array, std::int16_t item_count) {
  // The variable table has room for kMaxVariables; one more is an error of its own.
  if (var_count_ == kMaxVariables) {
    error(mt_text::kTooManyVariables);
    return nullptr;
  }
  VarDef& v = vars_[var_count_];
  v = VarDef{};
  if (is_array) {
    v.items = make<ItemTable>();
    if (v.items == nullptr) {
      no_memory_ = true;
      return nullptr;
    }
    v.is_array = 1;
    v.item_count = item_count;
    v.array_number = array_count_++;
  }
  copy_text(v.name, sizeof v.name, name);
  ++var_count_;
  return &v;
}

int RulesParser::find_variable(const char* name) const {
  for (int i = 0; i < var_count_; ++i) {
    if (str_icmp(vars_[i].name, name) == 0) return i;
  }
  return -1;
}

bool RulesParser::previous_line_is_array_sep() const {
  // The line itself must begin with the keyword: an indented ARRAY_SEP line does not.
  const int n = static_cast<int>(std::strlen(mt_text::kKeyArraySep));
  return str_nicmp(previous_, mt_text::kKeyArraySep, n) == 0;
}

void RulesParser::error(const char* message) {
  ++errors_;
  list_diagnostic(listing_, line_number_, message, line_.text);
}

void RulesParser::error_with(const char* format, const char* operand) {
  char message[160];
  std::snprintf(message, sizeof message, format, operand);
  error(message);
}

void RulesParser::error_with(const char* format, int value) {
  char message[160];
  std::snprintf(message, sizeof message, format, value);
  error(message);
}

}  // namespace tovr
