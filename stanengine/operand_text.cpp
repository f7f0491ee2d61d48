#include "stanengine/operand_text.h"

#include <cstdlib>
#include <cstring>
#include <initializer_list>

#include "frame/messages.h"
#include "frame/strings.h"
#include "stanengine/run_steps.h"

namespace tovr {
namespace {

constexpr int kMaxSpan = 128;
constexpr int kMaxPosition = 1024;

bool is_special(int bound) {
  return bound == kRangeN || bound == kRangeC || bound == kRangeMinusN || bound == kRangeMinusC;
}

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// The first (or last) run of digits (or of other characters) of text, as [start, end).
void find_run(const char* text, int length, bool digits, bool last, int* start, int* end) {
  *start = *end = 0;
  int i = 0;
  while (i < length) {
    while (i < length && is_digit(text[i]) != digits) ++i;
    if (i == length) break;
    const int s = i;
    while (i < length && is_digit(text[i]) == digits) ++i;
    *start = s;
    *end = i;
    if (!last) return;
  }
}

int position_of(int bound, int length) {
  if (bound == kRangeN || bound == kRangeC) return length;
  if (bound == kRangeMinusN || bound == kRangeMinusC) return 1;
  return bound > 0 ? bound : length + bound + 1;
}

bool range_refused(int a, int b) {
  for (int bound : {a, b}) {
    if (!is_special(bound) && std::abs(bound) >= kMaxPosition) return true;
  }
  if (is_special(a) || is_special(b) || (a > 0) != (b > 0)) return false;
  return b - a + 1 >= kMaxSpan;
}

void keep(char* text, int start, int end) {
  if (end <= start) {
    text[0] = '\0';
    return;
  }
  std::memmove(text, text + start, static_cast<std::size_t>(end - start));
  text[end - start] = '\0';
}

}  // namespace

bool range_given(const int range[2]) {
  const int a = range[0];
  if (a == 0 && range[1] == 0) return false;
  return a != kNumberNotGiven && a != kBoundNotGiven;
}

void apply_text_range(char* text, const int range[2], const char* message) {
  const int a = range[0];
  const int b = range[1];
  const int length = static_cast<int>(std::strlen(text));
  if (a == b && is_special(a)) {
    int start = 0;
    int end = 0;
    const bool digits = a == kRangeN || a == kRangeMinusN;
    find_run(text, length, digits, a < 0, &start, &end);
    keep(text, start, end);
    return;
  }
  if (range_refused(a, b)) {
    console_message("%s", message);
    return;
  }
  int start = position_of(a, length);
  int end = position_of(b, length);
  if (start < 1) start = 1;
  if (end > length) end = length;
  keep(text, start - 1, end);
}

char* user_variable(Stan& stan, const char* name) {
  UserVariableTable& vars = stan.patterns.user_vars;
  if (name == nullptr || name[0] == '\0') return nullptr;
  for (int i = 0; i < vars.count && i < kMaxUserVars; ++i) {
    if (str_icmp(vars.names[i], name) == 0) return vars.values[i];
  }
  return nullptr;
}

void operand_action_text(const RunState& r, int k, TextKind kind, char* out) {
  out[0] = '\0';
  if (kind == TextKind::kJoined || kind == TextKind::kSpaced) {
    if (r.temp_set[k]) {
      copy_text(out, kOperandTextSize, r.temp_text[k]);
      return;
    }
    if (r.pat != nullptr && r.pat->kind[k] == kOperandField) {
      copy_text(out, kFieldValueSize, r.field_text[k]);
      return;
    }
  }
  const Binding& b = r.bind[k];
  if (b.count == 0 || b.first > b.last) return;
  const Token& first = r.tokens[b.token[b.first]];
  switch (kind) {
    case TextKind::kAbbrev:
      if (b.first == b.last) copy_text(out, kTokenAbbrevSize, first.TokenAbbrev);
      return;
    case TextKind::kClose:
      copy_text(out, kTokenValueSize, first.TokenClose);
      return;
    default:
      break;
  }
  std::size_t n = 0;
  for (int i = b.first; i <= b.last && i < b.count; ++i) {
    const Token& t = r.tokens[b.token[i]];
    const std::size_t length = strnlen(t.TokenValue, kTokenValueSize - 1);
    if (kind == TextKind::kSpaced && n > 0) out[n++] = ' ';
    std::memcpy(out + n, t.TokenValue, length);
    n += length;
  }
  out[n] = '\0';
}

void operand_match_text(const RunState& r, int k, char* text, char* abbrev) {
  text[0] = '\0';
  abbrev[0] = '\0';
  if (r.pat->kind[k] == kOperandField) {
    copy_text(text, kFieldValueSize, r.field_text[k]);
    return;
  }
  const Binding& b = r.bind[k];
  std::size_t n = 0;
  for (int i = b.first; i <= b.last && i < b.count; ++i) {
    const Token& t = r.tokens[b.token[i]];
    const std::size_t length = strnlen(t.TokenValue, kTokenValueSize - 1);
    std::memcpy(text + n, t.TokenValue, length);
    n += length;
  }
  text[n] = '\0';
  if (b.first == b.last && b.first >= 0 && b.first < b.count) {
    copy_text(abbrev, kTokenAbbrevSize, r.tokens[b.token[b.first]].TokenAbbrev);
  }
}

}  // namespace tovr
