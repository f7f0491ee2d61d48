#include "stancomp/token_area.h"

#include "frame/strings.h"

namespace tovr {
namespace {

bool ends_line(char c) { return c == '\0' || c == '\r' || c == '\n'; }
bool separates(char c) { return c == ' ' || c == '\t' || c == '(' || c == ')'; }

// The first word of the line decides whether ";" is text: only the DELIMITER command can
// name a semicolon as a delimiter.
bool is_delimiter_line(const char* line) {
  while (separates(*line)) ++line;
  static constexpr char kWord[] = "DELIMITER";
  constexpr int n = sizeof kWord - 1;
  if (str_nicmp(line, kWord, n) != 0) return false;
  const char after = line[n];
  return ends_line(after) || separates(after) || after == '-' || after == ';';
}

class Splitter {
 public:
  Splitter(bool upper, TokenArea& area) : upper_(upper), area_(area) {
    area_.count = 0;
    area_.error = 0;
  }

  bool in_token() const { return length_ >= 0; }

  SplitResult add_char(char c) {
    if (!in_token()) {
      if (area_.count == kMaxTokens) return SplitResult::kTooManyTokens;
      length_ = 0;
    }
    if (length_ == kMaxTokenLength) return SplitResult::kTokenTooLong;
    area_.tokens[area_.count][length_++] = c;
    return SplitResult::kOk;
  }

  void end_token() {
    if (!in_token()) return;
    char* token = area_.tokens[area_.count];
    token[length_] = '\0';
    if (upper_) str_upper(token);
    ++area_.count;
    length_ = -1;
  }

  SplitResult single(char c) {
    end_token();
    SplitResult r = add_char(c);
    if (r == SplitResult::kOk) end_token();
    return r;
  }

 private:
  bool upper_;
  TokenArea& area_;
  int length_ = -1;
};

}  // namespace

SplitResult split_line(const char* line, bool upper, TokenArea& area) {
  const bool delimiter_line = is_delimiter_line(line);
  Splitter splitter(upper, area);
  for (const char* p = line; !ends_line(*p); ++p) {
    SplitResult r = SplitResult::kOk;
    if (separates(*p)) {
      splitter.end_token();
    } else if (*p == '-') {
      r = splitter.single('-');
    } else if (*p == ';' && !delimiter_line) {
      break;
    } else if (*p == ';' && !splitter.in_token()) {
      r = splitter.single(';');
    } else {
      r = splitter.add_char(*p);
    }
    if (r != SplitResult::kOk) {
      splitter.end_token();
      return r;
    }
  }
  splitter.end_token();
  return SplitResult::kOk;
}

}  // namespace tovr
