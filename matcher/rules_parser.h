// The rules-file parser: reads every statement, lists every error it finds, and builds the
// variables and match definitions of a rules block.
#pragma once

#include <cstdint>

#include "frame/stream.h"
#include "matcher/rules_lexer.h"
#include "matcher/rules_types.h"

namespace tovr {

// A field of the match key that the rules compare.
struct MatchKeyField {
  std::int16_t offset = 0;
  std::int16_t length = 0;
  char missing = ' ';
};

// Where the parser looks up the match key's fields by name.
class FieldResolver {
 public:
  virtual ~FieldResolver() = default;
  virtual bool find(const char* name, MatchKeyField* field) = 0;
};

// kReadError: a line could not be read; the statements read so far are not a rules file.
enum class ParseResult { kClean, kErrors, kNoMemory, kReadError };

struct MatchLayout;  // operand positions of one MATCH statement

class RulesParser {
 public:
  // Match definitions go straight into rules; the variable table stays with the parser
  // until hand_over_variables. Diagnostics go to the console and, when not null, to listing.
  RulesParser(Rules& rules, FieldResolver& fields, Stream listing);
  ~RulesParser();
  RulesParser(const RulesParser&) = delete;
  RulesParser& operator=(const RulesParser&) = delete;

  // Parses the whole file. Stops early only when memory runs out or a read fails.
  ParseResult parse(Stream in);

  // Copies the variable table into the rules block, which then owns the item tables.
  // False when memory runs out.
  bool hand_over_variables();

  int error_count() const { return errors_; }

 private:
  void parse_line();
  void dispatch();

  // Statements.
  void statement_var();
  void statement_array_sep();
  void statement_array_item();
  void statement_array_adj();
  void statement_vartype();
  void statement_cutoff();
  void statement_match(bool reverse);

  // Pieces of the MATCH statement (match_statement.cpp).
  bool match_layout(bool reverse, MatchLayout& layout);
  bool match_fields(const MatchLayout& layout, MatchDef& def, int* first_var);
  bool match_numbers(const MatchLayout& layout, MatchDef& def);
  bool match_array_kind(const MatchLayout& layout, int first_var);
  void store_match(const MatchLayout& layout, MatchDef& def, int first_var);

  // Checks shared by the defining statements; each lists its error and returns false.
  bool check_name(const char* name, int max_length, const char* too_long, const char* not_alpha);
  bool check_count_variable(const char* name, int max_length, const char* too_long,
                            const char* not_alpha, std::int16_t* count_var);
  // A new variable, or null after listing the error (too many) or on no memory.
  VarDef* new_variable(const char* name, bool is_array, std::int16_t item_count);

  int find_variable(const char* name) const;
  bool previous_line_is_array_sep() const;

  void error(const char* message);
  void error_with(const char* format, const char* operand);
  void error_with(const char* format, int value);

  Rules& rules_;
  FieldResolver& fields_;
  Stream listing_;
  VarDef vars_[kMaxVariables];
  std::int16_t var_count_ = 0;
  std::int16_t array_count_ = 0;
  bool handed_over_ = false;

  RulesLine line_;
  Operands ops_;
  int line_number_ = 0;
  char previous_[RulesLine::kBufferSize] = {};  // the last line that held operands
  int errors_ = 0;
  bool no_memory_ = false;
};

}  // namespace tovr
