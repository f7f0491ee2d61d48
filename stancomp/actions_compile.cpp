// Action lines: getActArgs, getRetypeArgs, EXIT, RETURN and CALL, and the post actions.
//
// Argument order: COMMAND source target for the copying actions, COMMAND source table mode for
// the CONVERT actions (table "@file" or "name", mode TKN [class] or TEMP), RETYPE [k] class
// [value [abbreviation]], SOUNDEX / RSOUNDEX source {field}.
#include <cctype>
#include <cstring>
#include <iterator>

#include "frame/memory.h"
#include "frame/strings.h"
#include "stancomp/pattern_compiler.h"
#include "stancomp/pattern_messages.h"

namespace tovr {
namespace {

constexpr int kMaxActionVarName = kUserVarNameSize - 1;
constexpr int kMaxSourceLiteral = kActionTextSize - 1;
constexpr int kMaxTableName = 99;       // table names of the table service
constexpr int kMaxRetypeValue = 39;     // a token value holds 39 characters
constexpr int kMaxSubName = 19;

char upper(char c) { return static_cast<char>(std::toupper(static_cast<unsigned char>(c))); }
bool is_digit(char c) { return c >= '0' && c <= '9'; }
bool starts_name(char c) { return c == '_' || is_letter(static_cast<unsigned char>(c)); }
bool ends_word(char c) { return c == '\0' || c == ';' || is_blank(c); }

// Classes an action may give to tokens.
bool is_action_class(char c) {
  return (c >= 'A' && c <= 'Z') || std::strchr("?+0^@<>~!-#&/,", c) != nullptr;
}

int name_length(const char* s) {
  int n = 0;
  while (is_name_char(s[n])) ++n;
  return n;
}

char* copy_string(const char* s, int n) {
  char* p = static_cast<char*>(mem_alloc(static_cast<std::size_t>(n) + 1));
  if (p == nullptr) return nullptr;
  std::memcpy(p, s, static_cast<std::size_t>(n));
  p[n] = '\0';
  return p;
}

// A quoted text at s[i] upper-cased into out (room for max + 1). Returns its length, -1 when
// it is not closed, -2 when it is longer than max.
int read_quoted(const char* s, int i, char* out, int max, int& end) {
  int j = i + 1;
  int n = 0;
  while (s[j] != '\0' && s[j] != '"') {
    if (n >= max) return -2;
    out[n++] = upper(s[j++]);
  }
  if (s[j] != '"') return -1;
  out[n] = '\0';
  end = j + 1;
  return n;
}

bool rest_is_empty(const char* s, int i) {
  i = skip_blanks(s, i);
  return s[i] == '\0' || s[i] == ';';
}

// A subroutine name: a letter, then letters, digits and "_", at most 19 characters, and
// nothing after it but a comment.
bool read_sub_name(const char* s, int& i, int& n) {
  i = skip_blanks(s, i);
  if (!is_letter(static_cast<unsigned char>(s[i]))) return false;
  n = name_length(s + i);
  return n <= kMaxSubName && rest_is_empty(s, i + n);
}

class ActionCompiler {
 public:
  ActionCompiler(PatternFileState& st, PatternAction& a, const char* s, bool post)
      : st_(st), a_(a), s_(s), post_(post) {}

  Step act_args(int i) {
    i_ = skip_blanks(s_, i);
    const bool convert = is_convert();
    Step r = source(convert);
    if (r != Step::kOk) return r;
    if (convert) {
      if ((r = convert_table()) != Step::kOk) return r;
      r = convert_mode();
    } else {
      r = target();
    }
    if (r != Step::kOk) return r;
    return rest_is_empty(s_, i_) ? Step::kOk : error(patmsg::kInvalidCommandArg);
  }

  Step retype_args(int i) {
    i_ = skip_blanks(s_, i);
    int k = 0;
    if (!operand_number(k)) return error(patmsg::kRetypeOperand);
    a_.source_kind = kSourceOperand;
    a_.source_operand = static_cast<short>(k - 1);
    i_ = skip_blanks(s_, i_);
    const char c = s_[i_];
    if (!is_action_class(c) || !ends_word(s_[i_ + 1])) return error(patmsg::kRetypeChar);
    a_.retype_class = c == '+' ? '?' : c;
    i_ = skip_blanks(s_, i_ + 1);
    if (s_[i_] == '\0' || s_[i_] == ';') return Step::kOk;
    Step r = retype_value();
    if (r != Step::kOk) return r;
    i_ = skip_blanks(s_, i_);
    if (s_[i_] == '\0' || s_[i_] == ';') return Step::kOk;
    if ((r = retype_abbrev()) != Step::kOk) return r;
    return rest_is_empty(s_, i_) ? Step::kOk : error(patmsg::kInvalidCommandArg);
  }

 private:
  Step error(const char* m) { return line_error(st_, m); }
  const ProcessProgram& program() { return program_of(st_); }

  bool is_convert() const {
    return a_.command == kActConvert || a_.command == kActConvertP ||
           a_.command == kActConvertS;
  }

  const Pattern* pattern() {
    if (st_.pattern_index < 0) return nullptr;
    return program().patterns[st_.pattern_index];
  }

  // [k] with 1 <= k <= the pattern's operand count.
  bool operand_number(int& k) {
    if (s_[i_] != '[') return false;
    int j = skip_blanks(s_, i_ + 1);
    int digits = 0;
    k = 0;
    while (is_digit(s_[j]) && digits < 3) {
      k = k * 10 + (s_[j++] - '0');
      ++digits;
    }
    j = skip_blanks(s_, j);
    const Pattern* p = pattern();
    if (digits == 0 || s_[j] != ']' || p == nullptr || k < 1 || k > p->operand_count) {
      return false;
    }
    i_ = j + 1;
    return true;
  }

  Step optional_range(int range[2]) {
    const int j = skip_blanks(s_, i_);
    if (s_[j] != '(') return Step::kOk;
    i_ = j;
    return read_range(st_, s_, i_, range);
  }

  // Enters a user variable (or finds it); the name is checked first.
  Step variable_name(char* out, bool must_exist, const char* missing) {
    const int n = name_length(s_ + i_);
    if (n > kMaxActionVarName) return error(patmsg::kVarTooLong);
    std::memcpy(out, s_ + i_, static_cast<std::size_t>(n));
    out[n] = '\0';
    if (str_icmp(out, "LEN") == 0) return error(patmsg::kReservedLen);
    if (str_icmp(out, "PICT") == 0) return error(patmsg::kReservedPict);
    i_ += n;
    UserVariableTable& vars = st_.out->user_vars;
    if (find_user_var(vars, out) >= 0) return Step::kOk;
    if (must_exist) return error(missing);
    // The table keeps one entry free: the name that would fill it is refused.
    if (vars.count + 1 >= kMaxUserVars) return error(patmsg::kTooManyVars);
    copy_text(vars.names[vars.count++], kUserVarNameSize, out);
    return Step::kOk;
  }

  // {..} at i_: its contents and length; -1 when "}" is missing.
  int braces(const char*& contents) {
    contents = s_ + i_ + 1;
    int n = 0;
    while (contents[n] != '\0' && contents[n] != '}') ++n;
    if (contents[n] != '}') return -1;
    i_ += n + 2;
    return n;
  }

  // A two-character field of the process's own match key.
  Step own_field(const char* name, char out[3], bool& not_found) {
    out[0] = upper(name[0]);
    out[1] = upper(name[1]);
    out[2] = '\0';
    not_found = false;
    const PatternSources& src = *st_.sources;
    const char* mk = src.process[st_.process].match_key;
    const int status = src.services.field_status == nullptr || mk == nullptr
                           ? 6
                           : src.services.field_status(src.services.user, mk, out);
    if (status == 6) not_found = true;
    if (status != 0 && status != 6) return error(patmsg::kMkGetError);
    return Step::kOk;
  }

  int process_named(const char* name, int n) {
    const PatternSources& src = *st_.sources;
    for (int p = 0; p < src.process_count && p < kPatternProcesses; ++p) {
      const char* pn = src.process[p].process_name;
      if (pn != nullptr && static_cast<int>(std::strlen(pn)) == n && str_nicmp(pn, name, n) == 0) {
        return p;
      }
    }
    return -1;
  }

  Step source(bool convert) {
    const char c = s_[i_];
    if (c == '[') {
      int k = 0;
      if (!operand_number(k)) return error(patmsg::kOperandSpec);
      if (post_) return error(patmsg::kInvalidCommandArg);
      a_.source_kind = kSourceOperand;
      a_.source_operand = static_cast<short>(k - 1);
      return optional_range(a_.source_range);
    }
    if (needs_operand_source()) return error(patmsg::kInvalidCommandArg);
    if (c == '{') return field_source();
    if (c == '"') {
      if (post_ || convert) return error(patmsg::kInvalidCommandArg);
      int end = 0;
      const int n = read_quoted(s_, i_, a_.literal, kMaxSourceLiteral, end);
      if (n == -2) return error(patmsg::kStringTooLong);
      if (n < 0) return error(patmsg::kInvalidCommandArg);
      a_.source_kind = kSourceLiteral;
      i_ = end;
      return Step::kOk;
    }
    if (starts_name(c)) {
      Step r = variable_name(a_.source_variable, convert, patmsg::kConvertVarNotFound);
      if (r != Step::kOk) return r;
      a_.source_kind = kSourceVariable;
      return optional_range(a_.source_range);
    }
    if (c == '\0' || c == ';') return error(patmsg::kInvalidCommandArg);
    return error(patmsg::kInvalidActionChar);
  }

  // The abbreviation, the class entry and the prefix or suffix conversions work on tokens.
  bool needs_operand_source() const {
    switch (a_.command) {
      case kActCopyA: case kActCopyC: case kActConcatA: case kActPrefixA:
      case kActConvertP: case kActConvertS:
        return true;
      default:
        return false;
    }
  }

  Step field_source() {
    const char* name = nullptr;
    const int n = braces(name);
    if (n < 0) return error(patmsg::kInvalidCommandArg);
    if (n < 2) return error(patmsg::kFieldTooShort);
    if (n == 2) {
      bool not_found = false;
      Step r = own_field(name, a_.source_field, not_found);
      if (r != Step::kOk) return r;
      if (!not_found) {
        a_.source_kind = kSourceField;
        return optional_range(a_.source_range);
      }
    }
    const int process = process_named(name, n);
    if (process < 0) {
      return error(n == 2 ? patmsg::kFieldNotFound : patmsg::kInvalidFormatted);
    }
    if (post_ || is_convert()) return error(patmsg::kInvalidCommandArg);
    a_.source_field[0] = '\0';
    a_.source_kind = kSourceFormatted;
    a_.source_process = static_cast<short>(process);
    return Step::kOk;
  }

  Step target() {
    i_ = skip_blanks(s_, i_);
    const char c = s_[i_];
    if (c == '{') {
      const char* name = nullptr;
      const int n = braces(name);
      if (n < 0) return error(patmsg::kInvalidCommandArg);
      if (n < 2) return error(patmsg::kFieldTooShort);
      bool not_found = n > 2;
      if (n == 2) {
        Step r = own_field(name, a_.toActionEntity.field, not_found);
        if (r != Step::kOk) return r;
      }
      if (not_found) return error(patmsg::kFieldNotFound);
      a_.target_kind = kTargetField;
      return Step::kOk;
    }
    if (c == '[') return error(patmsg::kInvalidArg);
    if (starts_name(c)) {
      if (post_) return error(patmsg::kInvalidCommandArg);
      char name[kUserVarNameSize];
      Step r = variable_name(name, false, nullptr);
      if (r != Step::kOk) return r;
      a_.toActionEntity.userCharValue = copy_string(name, static_cast<int>(std::strlen(name)));
      if (a_.toActionEntity.userCharValue == nullptr) return no_memory(patmsg::kNoMemUserCharValue);
      a_.target_kind = kTargetVariable;
      return Step::kOk;
    }
    if (c == '\0' || c == ';') return error(patmsg::kInvalidCommandArg);
    return error(patmsg::kInvalidActionChar);
  }

  Step table_name_copy(const char* name, int n) {
    a_.toActionEntity.fileName = static_cast<char*>(mem_alloc_zeroed(1, kActionTextSize));
    if (a_.toActionEntity.fileName == nullptr) return no_memory(patmsg::kNoMemFileName);
    std::memcpy(a_.toActionEntity.fileName, name, static_cast<std::size_t>(n));
    return Step::kOk;
  }

  Step convert_table() {
    i_ = skip_blanks(s_, i_);
    const char c = s_[i_];
    if (c == '@') {
      int n = 0;
      while (is_file_name_char(s_[i_ + 1 + n])) ++n;
      if (n == 0) return error(patmsg::kInvalidActionChar);
      if (n > kMaxSourceLiteral) return error(patmsg::kStringTooLong);
      Step r = table_name_copy(s_ + i_ + 1, n);
      if (r != Step::kOk) return r;
      i_ += n + 1;
      a_.target_kind = kTargetConvertFile;
      r = open_user_file(st_, a_.toActionEntity.fileName, patmsg::kOpenConvertFile,
                         a_.toActionEntity.user_file);
      if (r != Step::kOk) return r;
      a_.toActionEntity.file = st_.out->user_files.files[a_.toActionEntity.user_file].stream;
      return Step::kOk;
    }
    if (c != '"') return error(patmsg::kInvalidActionChar);
    int end = 0;
    const int n = read_quoted_raw(end);
    if (n == -2) return error(patmsg::kStringTooLong);
    if (n <= 0) return error(patmsg::kInvalidActionChar);
    Step r = table_name_copy(s_ + i_ + 1, n);
    if (r != Step::kOk) return r;
    i_ = end;
    a_.target_kind = kTargetConvertTable;
    return load_table(a_.toActionEntity.fileName);
  }

  // A quoted table name kept as written.
  int read_quoted_raw(int& end) {
    int n = 0;
    while (s_[i_ + 1 + n] != '\0' && s_[i_ + 1 + n] != '"') {
      if (++n > kMaxTableName) return -2;
    }
    if (s_[i_ + 1 + n] != '"') return -1;
    end = i_ + n + 2;
    return n;
  }

  Step load_table(const char* name) {
    const PatternServices& sv = st_.sources->services;
    const ConvertTableStatus status = sv.load_convert_table == nullptr
                                          ? kConvertTableNotFound
                                          : sv.load_convert_table(sv.user, name);
    switch (status) {
      case kConvertTableOk: return Step::kOk;
      case kConvertTableNotFound: return error(patmsg::kConvertNotFound);
      case kConvertTableBadFormat: return error(patmsg::kConvertFormat);
      case kConvertTableNoMemory: return error(patmsg::kConvertNoMemory);
      case kConvertTableBadSize: return error(patmsg::kConvertSize);
      case kConvertTableKeyTooLong: return error(patmsg::kConvertKeyTooLong);
      case kConvertTableBadEntry: return error(patmsg::kConvertEntry);
      case kConvertTableBadWeight: return error(patmsg::kConvertWeight);
    }
    return error(patmsg::kConvertFormat);
  }

  Step convert_mode() {
    i_ = skip_blanks(s_, i_);
    const int n = name_length(s_ + i_);
    if (n == 4 && std::strncmp(s_ + i_, patmsg::kTempWord, 4) == 0) {
      a_.convert_mode = kConvertTemp;
      i_ += n;
      return Step::kOk;
    }
    if (n != 3 || std::strncmp(s_ + i_, patmsg::kTokensWord, 3) != 0) {
      return error(patmsg::kTempOrTkn);
    }
    a_.convert_mode = kConvertTokens;
    i_ = skip_blanks(s_, i_ + n);
    const char c = s_[i_];
    if (c == '\0' || c == ';') return Step::kOk;
    if (!is_action_class(c) || !ends_word(s_[i_ + 1])) return error(patmsg::kTknClass);
    a_.convert_class = c == '+' ? '?' : c;
    ++i_;
    return Step::kOk;
  }

  Step retype_value() {
    const char c = s_[i_];
    if (c == '"') {
      char text[kMaxRetypeValue + 1];
      int end = 0;
      const int n = read_quoted(s_, i_, text, kMaxRetypeValue, end);
      if (n == -2) return error(patmsg::kStringTooLong);
      if (n < 0) return error(patmsg::kRetypeValue);
      a_.value = copy_string(text, n);
      if (a_.value == nullptr) return no_memory(patmsg::kNoMemValue);
      i_ = end;
      return Step::kOk;
    }
    if (!starts_name(c)) return error(patmsg::kRetypeValue);
    return variable_name(a_.value_variable, true, patmsg::kRetypeVarNotFound);
  }

  Step retype_abbrev() {
    const char c = s_[i_];
    if (c == '"') {
      char text[kRetypeAbbrevMax + 1];
      int end = 0;
      const int n = read_quoted(s_, i_, text, kRetypeAbbrevMax, end);
      if (n == -2) return error(patmsg::kRetypeAbbrevLong);
      if (n < 0) return error(patmsg::kRetypeAbbrevKind);
      a_.abbrevValue = copy_string(text, n);
      if (a_.abbrevValue == nullptr) return no_memory(patmsg::kNoMemAbbrev);
      i_ = end;
      return Step::kOk;
    }
    if (!starts_name(c)) return error(patmsg::kRetypeAbbrevKind);
    Step r = variable_name(a_.abbrev_variable, true, patmsg::kRetypeVarNotFound);
    if (r != Step::kOk) return r;
    if ((r = optional_range(a_.abbrev_range)) != Step::kOk) return r;
    if (a_.abbrev_range[0] != kNumberNotGiven && range_span(a_.abbrev_range) > kRetypeAbbrevMax) {
      return error(patmsg::kRetypeAbbrevRange);
    }
    return Step::kOk;
  }

  // Characters a range takes; ranges with the special bounds or reaching from the front to the
  // back are cut by the engine and count as fitting.
  static int range_span(const int r[2]) {
    const bool special = r[0] >= kRangeC || r[1] >= kRangeC || r[0] <= kRangeMinusC ||
                         r[1] <= kRangeMinusC;
    if (special || (r[0] > 0) != (r[1] > 0)) return 0;
    return r[1] - r[0] + 1;
  }

  PatternFileState& st_;
  PatternAction& a_;
  const char* s_;
  bool post_;
  int i_ = 0;
};

const patmsg::CommandWord* find_command(const char* s, int n,
                                        const patmsg::CommandWord* words, int count) {
  for (int w = 0; w < count; ++w) {
    if (static_cast<int>(std::strlen(words[w].word)) == n &&
        std::strncmp(words[w].word, s, static_cast<std::size_t>(n)) == 0) {
      return &words[w];
    }
  }
  return nullptr;
}

int word_length(const char* s) {
  int n = 0;
  while (!ends_word(s[n])) ++n;
  return n;
}

void link_action(PatternFileState& st, PatternAction* a) {
  ProcessProgram& prog = program_of(st);
  PatternAction*& head = prog.patternActions[st.pattern_index];
  if (head == nullptr) {
    head = a;
  } else {
    st.chain_tail->next = a;
    a->previous = st.chain_tail;
  }
  st.chain_tail = a;
}

Step exit_action(PatternFileState& st, PatternAction& a, const char* s, int i) {
  if (!rest_is_empty(s, i)) return line_error(st, patmsg::kInvalidCommandArg);
  const PatternAction* prev = a.previous;
  ProcessProgram& prog = program_of(st);
  if (prev != nullptr && prev->command == kActCall && prev->call_index >= 0 &&
      prev->call_index < prog.call_count) {
    prog.subRoutineCalls[prev->call_index].followed_by_exit = 1;
  }
  return Step::kOk;
}

Step call_action(PatternFileState& st, PatternAction& a, const char* s, int i) {
  int n = 0;
  if (!read_sub_name(s, i, n)) return line_error(st, patmsg::kBadSubName);
  ProcessProgram& prog = program_of(st);
  if (st.calls_entered >= prog.call_count) return line_error(st, patmsg::kPatternFileError);
  SubRoutineCall& call = prog.subRoutineCalls[st.calls_entered];
  call.name = copy_string(s + i, n);
  if (call.name == nullptr) return no_memory(patmsg::kNoMemCallName);
  call.calling_pattern = static_cast<short>(st.pattern_index);
  a.call_index = static_cast<short>(st.calls_entered++);
  return Step::kOk;
}

// An action on an end-of-line operand has no tokens to work on unless it writes a field.
Step check_end_of_line(PatternFileState& st, const PatternAction& a) {
  if (a.source_kind != kSourceOperand || a.target_kind == kTargetField) return Step::kOk;
  const Pattern* p = program_of(st).patterns[st.pattern_index];
  const int k = a.source_operand;
  if (p == nullptr || k < 0 || k >= kMaxOperands) return Step::kOk;
  if (p->kind[k] == kOperandEndOfLine || (k == 0 && p->kind[0] == kOperandNewlineOnly)) {
    return line_error(st, patmsg::kActionOnEol);
  }
  return Step::kOk;
}

}  // namespace

PatternAction* new_action() {
  auto* a = static_cast<PatternAction*>(mem_alloc_zeroed(1, sizeof(PatternAction)));
  if (a == nullptr) return nullptr;
  a->source_kind = kSourceNone;
  a->source_operand = -1;
  a->source_process = -1;
  a->source_range[0] = a->source_range[1] = kNumberNotGiven;
  a->target_kind = kTargetNone;
  a->toActionEntity.user_file = -1;
  a->abbrev_range[0] = a->abbrev_range[1] = kNumberNotGiven;
  a->call_index = -1;
  return a;
}

Step compile_action_line(PatternFileState& st, const char* line) {
  const int n = word_length(line);
  const patmsg::CommandWord* cmd =
      find_command(line, n, patmsg::kCommandWords, std::size(patmsg::kCommandWords));
  if (cmd == nullptr || st.pattern_index < 0) return line_error(st, patmsg::kInvalidCommand);
  const bool needs_args = cmd->takes_args || cmd->command == kActRetype;
  if (needs_args && !is_blank(line[n])) return line_error(st, patmsg::kInvalidCommand);

  PatternAction* a = new_action();
  if (a == nullptr) return no_memory(patmsg::kNoMemAction);
  a->command = cmd->command;
  link_action(st, a);

  Step r = Step::kOk;
  switch (cmd->command) {
    case kActRetype:
      r = ActionCompiler(st, *a, line, false).retype_args(n);
      break;
    case kActExit:
      return exit_action(st, *a, line, n);
    case kActReturn:
      if (st.section == 0) return line_error(st, patmsg::kReturnInMain);
      return rest_is_empty(line, n) ? Step::kOk : line_error(st, patmsg::kInvalidCommandArg);
    case kActCall:
      return call_action(st, *a, line, n);
    default:
      r = ActionCompiler(st, *a, line, false).act_args(n);
      break;
  }
  if (r != Step::kOk) return r;
  return check_end_of_line(st, *a);
}

Step compile_post_action(PatternFileState& st, const char* line, PatternAction*& action) {
  action = nullptr;
  const int n = word_length(line);
  const patmsg::CommandWord* cmd =
      find_command(line, n, patmsg::kPostWords, std::size(patmsg::kPostWords));
  if (cmd == nullptr || !is_blank(line[n])) return line_error_short(st, patmsg::kInvalidPost);
  PatternAction* a = new_action();
  if (a == nullptr) return no_memory(patmsg::kNoMemPostAction);
  a->command = cmd->command;
  action = a;
  return ActionCompiler(st, *a, line, true).act_args(n);
}

// A "\SUB" line: the name after the marker.
bool subroutine_name(const char* line, int& start, int& length) {
  start = static_cast<int>(std::strlen(patmsg::kSubStart));
  return read_sub_name(line, start, length);
}

void release_action(PatternAction* a, UserFileTable& files) {
  if (a == nullptr) return;
  mem_free(a->value);
  mem_free(a->abbrevValue);
  mem_free(a->toActionEntity.userCharValue);
  mem_free(a->toActionEntity.fileName);
  drop_user_file(files, a->toActionEntity.user_file);
  mem_free(a);
}

}  // namespace tovr
