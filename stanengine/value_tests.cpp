// Value lists (testValues): the operand's text against listed texts, numbers, a numeric range
// or the lines of a value file.
//
// A text is read as a number only when it begins with a digit (after an optional sign); any
// other text matches no number. Value file lines are compared without regard to case, since
// nothing upper-cases a value file as the compiler does the listed texts.
#include <cstring>

#include "frame/line_reader.h"
#include "frame/messages.h"
#include "frame/stream.h"
#include "frame/strings.h"
#include "stanengine/engine_status.h"
#include "stanengine/engine_texts.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

constexpr int kValueLineSize = 128;  // 127 characters of a value file line

bool read_number(const char* text, long* value) {
  const char* p = text;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  if (*p < '0' || *p > '9') return false;
  long v = 0;
  for (; *p >= '0' && *p <= '9'; ++p) {
    if (v < 100000000000L) v = v * 10 + (*p - '0');
  }
  *value = negative ? -v : v;
  return true;
}

bool texts_match(const ValueList& v, const char* text, const char* abbrev) {
  for (int i = 0; i < v.text_count && i < kValueSlots; ++i) {
    const char* value = v.charValue[i];
    if (value == nullptr) continue;
    const bool by_text = std::strcmp(value, text) == 0;
    const bool by_abbrev = abbrev[0] != '\0' && std::strcmp(value, abbrev) == 0;
    if (v.kind == kValueAbbrev ? std::strcmp(value, abbrev) == 0
                               : (by_text || (v.kind != kValueText && by_abbrev))) {
      return true;
    }
  }
  return false;
}

bool numbers_match(const ValueList& v, const char* text) {
  long n = 0;
  if (!read_number(text, &n)) return false;
  for (int i = 0; i < v.number_count && i < kValueSlots; ++i) {
    if (v.number[i] == n) return true;
  }
  const bool ranged = v.range[0] != kBoundNotGiven && v.range[0] != kNumberNotGiven &&
                      !(v.range[0] == 0 && v.range[1] == 0);
  return ranged && n >= v.range[0] && n <= v.range[1];
}

// Blanks, tabs and the line end go; an enclosing pair of double quotes goes too. False for a
// quoted line without its closing quote.
bool clean_value_line(char* line) {
  std::size_t n = 0;
  for (const char* p = line; *p != '\0'; ++p) {
    if (*p != ' ' && *p != '\t' && *p != '\n' && *p != '\r') line[n++] = *p;
  }
  line[n] = '\0';
  if (line[0] != '"') return true;
  if (n < 2 || line[n - 1] != '"') return false;
  std::memmove(line, line + 1, n - 2);
  line[n - 2] = '\0';
  return true;
}

// 1 when a line begins with text, 0 when none does, -1 after an unmatched quote or a read
// that failed. Lines hold at most 127 characters; the rest of a longer line is dropped.
int file_match(Stream file, const char* text) {
  if (file == nullptr) return 0;
  stream_rewind(file);
  const int length = static_cast<int>(std::strlen(text));
  char line[kValueLineSize];
  for (;;) {
    const ReadResult got = read_line(file, line, kValueLineSize, LongLine::kSkipRest);
    if (got == ReadResult::kEnd) return 0;
    // A value file read in part could not say that no line matches; the test fails with the
    // status of a value test that cannot be carried out.
    if (got == ReadResult::kError) return -1;
    char shown[kValueLineSize];
    copy_text(shown, sizeof shown, line);
    if (!clean_value_line(line)) {
      const std::size_t n = std::strcspn(shown, "\r\n");
      shown[n] = '\0';
      console_message(engine_text::kUnmatchedQuotes, shown);
      return -1;
    }
    if (str_nicmp(line, text, length) == 0) return 1;
  }
}

}  // namespace

Next value_test(RunState& r, int k) {
  const ValueList* v = r.pat->pValue[k];
  if (v == nullptr) return Next::kNext;
  char text[kOperandTextSize];
  char abbrev[kTokenAbbrevSize];
  operand_match_text(r, k, text, abbrev);
  str_trim(text);
  bool match = false;
  if (v->file != nullptr) {
    const int found = file_match(v->file, text);
    if (found < 0) {
      r.status = as_status::kValues;
      return Next::kEnd;
    }
    match = found == 1;
  } else if (v->text_count > 0) {
    match = texts_match(*v, text, abbrev);
  } else {
    match = numbers_match(*v, text);
  }
  return match ? Next::kNext : Next::kFail;
}

}  // namespace tovr
