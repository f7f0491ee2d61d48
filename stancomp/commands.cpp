// Line dispatch and the commands that set single values.
#include <climits>
#include <cstdlib>
#include <cstring>

#include "frame/memory.h"
#include "frame/messages.h"
#include "frame/strings.h"
#include "stancomp/listing.h"
#include "stancomp/stan_reader.h"
#include "stancomp/stan_texts.h"

namespace tovr {
namespace {

// Indices into stan_text::kCommands.
enum Command {
  kStandardize,
  kSeplist,
  kStriplist,
  kInfile,
  kCleanupInput,
  kDebug,
  kInteractive,
  kRecord,
  kOutRecord,
  kType,
  kLinesInRec,
  kOutfile,
  kAuxOutfile,
  kMove,
  kDelimiter,
  kSkip,
  kTest,
  kProcessOrder,
  kKeyOrder,
  kProcessFile
};

int find_command(const char* word) {
  for (int i = 0; i < stan_text::kCommandCount; ++i) {
    if (str_icmp(word, stan_text::kCommands[i]) == 0) return i;
  }
  return -1;
}

bool takes_one_operand(int command) {
  switch (command) {
    case kDelimiter:
    case kInteractive:
    case kDebug:
    case kProcessOrder:
    case kProcessFile:
    case kKeyOrder:
    case kMove:
      return false;
    default:
      return true;
  }
}

// A number "converted as it stands": leading blanks, an optional sign and the digits that
// follow; anything else reads as 0. Clamped to the range of a short.
short convert_as_it_stands(const char* text) {
  long v = std::strtol(text, nullptr, 10);
  if (v > SHRT_MAX) return SHRT_MAX;
  if (v < SHRT_MIN) return SHRT_MIN;
  return static_cast<short>(v);
}

bool is_blank(char c) { return c == ' ' || c == '\t'; }
bool ends_line(char c) { return c == '\0' || c == '\r' || c == '\n'; }

// The raw line after its command word (which may be preceded by blanks, tabs and
// parentheses) and the blanks and tabs that follow it.
const char* after_command_word(const char* line, const char* word) {
  while (is_blank(*line) || *line == '(' || *line == ')') ++line;
  line += std::strlen(word);
  while (is_blank(*line)) ++line;
  return line;
}

}  // namespace

bool read_number(const char* text, int limit, int* value) {
  if (*text == '\0') return false;
  long v = 0;
  for (const char* p = text; *p != '\0'; ++p) {
    if (*p < '0' || *p > '9') return false;
    v = v * 10 + (*p - '0');
    if (v > limit) v = limit;
  }
  *value = static_cast<int>(v);
  return true;
}

int find_process(const Stan& stan, const char* name) {
  for (int p = 0; p < stan.process_count; ++p) {
    if (str_icmp(stan.process_name[p], name) == 0) return p;
  }
  return -1;
}

void StanReader::list(const char* message) const { list_line(stan_, message); }

void StanReader::list_error(const char* message) {
  list(message);
  if (error_ < 1) error_ = 1;
}

void StanReader::list_stop(const char* message) {
  list(message);
  error_ = 2;
}

Outcome StanReader::run_line() {
  switch (split_line(stan_.current_line, true, upper_)) {
    case SplitResult::kTooManyTokens:
      list_error(stan_text::kTooManyOperands);
      return Outcome::kContinue;
    case SplitResult::kTokenTooLong:
      list_error(stan_text::kOperandTooLarge);
      return Outcome::kContinue;
    case SplitResult::kOk:
      break;
  }
  if (upper_.count == 0) return Outcome::kContinue;
  const int command = find_command(upper_.tokens[0]);
  if (command < 0) {
    print_text(stan_text::kUnrecognizedCommand);
    return Outcome::kFail;
  }
  return dispatch(command);
}

Outcome StanReader::dispatch(int command) {
  switch (command) {
    case kStandardize:
      return standardize();
    case kSeplist:
      return seplist(false);
    case kStriplist:
      return seplist(true);
    case kCleanupInput:
      stan_.cleanup_input = 1;
      return Outcome::kContinue;
    default:
      return process_misc(command);
  }
}

// SEPLIST and STRIPLIST read the raw line: a double-quoted list that ends at the first
// double quote not preceded by a backslash (the backslash stays in the list).
Outcome StanReader::seplist(bool strip) {
  if (stan_.process_count == 0) {
    list_error(strip ? stan_text::kStriplistNoProcess : stan_text::kSeplistNoProcess);
    return Outcome::kContinue;
  }
  const char* p = after_command_word(stan_.line_copy, strip ? "STRIPLIST" : "SEPLIST");
  if (*p != '"') {
    print_text(stan_text::kSeplistNotQuoted);
    return Outcome::kFail;
  }
  const char* start = ++p;
  while (!ends_line(*p) && !(*p == '"' && p[-1] != '\\')) ++p;
  if (*p != '"') {
    list_error(strip ? stan_text::kStriplistUnclosed : stan_text::kSeplistUnclosed);
    return Outcome::kContinue;
  }
  const std::size_t length = static_cast<std::size_t>(p - start);
  if (length > kListSize - 1) {
    print_text(strip ? stan_text::kStriplistTooLong : stan_text::kSeplistTooLong);
    return Outcome::kFail;
  }
  const int process = stan_.process_count - 1;
  char* list = strip ? stan_.strip_list[process] : stan_.separator_list[process];
  std::memcpy(list, start, length);
  list[length] = '\0';
  return Outcome::kContinue;
}

// Commands whose operands need the case of names kept cut the line once more into an area
// of their own.
Outcome StanReader::process_misc(int command) {
  if (takes_one_operand(command) && upper_.count != 2) {
    list_error(stan_text::kOneOperandOnly);
    return Outcome::kContinue;
  }
  auto* kept = static_cast<TokenArea*>(mem_alloc(sizeof(TokenArea)));
  if (kept == nullptr) {
    list(stan_text::kNoMemoryTokenArea2);
    return Outcome::kFail;
  }
  split_line(stan_.current_line, false, *kept);
  const Outcome outcome = misc_command(command, *kept);
  mem_free(kept);
  return outcome;
}

Outcome StanReader::misc_command(int command, TokenArea& kept) {
  const char* operand = upper_.tokens[1];
  int number = 0;
  switch (command) {
    case kInfile:
      copy_text(stan_.input_file_name, kFileNameSize, kept.tokens[1]);
      break;
    case kOutfile:
      copy_text(stan_.output_file_name, kFileNameSize, kept.tokens[1]);
      break;
    case kAuxOutfile:
      copy_text(stan_.aux_output_file_name, kAuxFileNameSize, kept.tokens[1]);
      break;
    case kDebug:
      stan_.debug = 1;
      break;
    case kInteractive:
      stan_.interactive = 1;
      break;
    case kRecord:
    case kOutRecord:
      if (!read_number(operand, SHRT_MAX, &number)) {
        list_error(stan_text::kNotANumber);
      } else {
        (command == kRecord ? stan_.record_size : stan_.output_record_length) =
            static_cast<short>(number);
      }
      break;
    case kLinesInRec:
      stan_.lines_per_record = convert_as_it_stands(operand);
      break;
    // SKIP and TEST list no error: an operand that is not a number leaves the count as it was.
    case kSkip:
      if (read_number(operand, INT_MAX, &number)) stan_.skip_count = number;
      break;
    case kTest:
      if (read_number(operand, INT_MAX, &number)) stan_.test_count = number;
      break;
    case kType:
      type();
      break;
    case kDelimiter:
      delimiter();
      break;
    case kMove:
      return move();
    case kProcessOrder:
      return process_order(kept);
    case kKeyOrder:
      return key_order(kept);
    case kProcessFile:
      return process_file(kept);
    default:
      break;
  }
  return Outcome::kContinue;
}

void StanReader::type() {
  const char* operand = upper_.tokens[1];
  if (std::strcmp(operand, stan_text::kTypeAscii) == 0) {
    stan_.input_type = 'A';
  } else if (std::strcmp(operand, stan_text::kTypeUnix) == 0) {
    stan_.input_type = 'U';
  } else if (std::strcmp(operand, stan_text::kTypeBinary) == 0) {
    stan_.input_type = 'B';
  } else {
    list_error(stan_text::kBadType);
  }
}

// DELIMITER ITEM|LINE|RECORD COMMA|SPACE|TAB|NEWLINE|<character>; an unknown first operand
// or a missing second one leaves the delimiters as they are.
void StanReader::delimiter() {
  if (upper_.count < 3) return;
  const char* kind = upper_.tokens[1];
  char* target = nullptr;
  if (std::strcmp(kind, stan_text::kDelimItem) == 0) {
    target = &stan_.item_delimiter;
  } else if (std::strcmp(kind, stan_text::kDelimLine) == 0) {
    target = &stan_.line_delimiter;
  } else if (std::strcmp(kind, stan_text::kDelimRecord) == 0) {
    target = &stan_.record_delimiter;
  } else {
    return;
  }
  const char* value = upper_.tokens[2];
  if (std::strcmp(value, stan_text::kDelimComma) == 0) {
    *target = ',';
  } else if (std::strcmp(value, stan_text::kDelimSpace) == 0) {
    *target = ' ';
  } else if (std::strcmp(value, stan_text::kDelimTab) == 0) {
    *target = '\t';
  } else if (std::strcmp(value, stan_text::kDelimNewline) == 0) {
    *target = '\n';
  } else {
    *target = value[0];
  }
}

}  // namespace tovr
