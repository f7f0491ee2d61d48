#include "matcher/field_values.h"

namespace tovr {
namespace {

constexpr long long kReadingLimit = 2147483647LL;

bool is_digit(char c) { return c >= '0' && c <= '9'; }

template <class Pred>
bool all_of(Text v, Pred pred) {
  for (int i = 0; i < v.length; ++i) {
    if (!pred(v.data[i])) return false;
  }
  return true;
}

}  // namespace

bool is_blank(Text v) {
  return all_of(v, [](char c) { return c == ' '; });
}

bool is_missing(Text v, char code, bool numeric_comparison) {
  switch (code) {
    case 'S':
      return is_blank(v);
    case 'Z':
      return all_of(v, [](char c) { return c == ' ' || c == '0'; });
    case 'N':
      return numeric_comparison && read_number(v) < 0;
    case '9':
      return all_of(v, [](char c) { return c == '9'; });
    default:
      return false;
  }
}

bool is_numeric(Text v) {
  return all_of(v, [](char c) { return is_digit(c) || c == ' ' || c == '-' || c == '.'; });
}

bool is_count_numeric(Text v) {
  return all_of(v, [](char c) { return is_digit(c) || c == ' '; });
}

long long read_number(Text v) {
  int i = 0;
  while (i < v.length && v.data[i] == ' ') ++i;
  bool negative = false;
  if (i < v.length && (v.data[i] == '-' || v.data[i] == '+')) negative = v.data[i++] == '-';
  long long value = 0;
  for (; i < v.length && is_digit(v.data[i]); ++i) {
    value = value * 10 + (v.data[i] - '0');
    if (value > kReadingLimit) value = kReadingLimit;
  }
  return negative ? -value : value;
}

Text trim_trailing(Text v) {
  while (v.length > 1 && v.data[v.length - 1] == ' ') --v.length;
  return v;
}

Text trim_leading(Text v) {
  while (v.length > 0 && v.data[0] == ' ') {
    ++v.data;
    --v.length;
  }
  return v;
}

bool record_piece(const char* record, int record_length, int start, int length, Text* out) {
  if (start < 0 || length < 0 || start + length > record_length) return false;
  *out = Text{record + start, length};
  return true;
}

}  // namespace tovr
