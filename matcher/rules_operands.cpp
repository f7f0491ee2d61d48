#include "matcher/rules_operands.h"

#include <cctype>
#include <cfloat>
#include <charconv>
#include <cstring>

namespace tovr {
namespace {

bool is_digit(char c) { return c >= '0' && c <= '9'; }

}  // namespace

bool is_numeric_operand(const char* operand) {
  if (*operand == '\0') return false;
  for (const char* p = operand; *p != '\0'; ++p) {
    if (!is_digit(*p) && *p != '.') return false;
  }
  return true;
}

std::int16_t operand_int(const char* operand) {
  int value = 0;
  for (const char* p = operand; is_digit(*p); ++p) {
    value = value * 10 + (*p - '0');
    if (value > 32767) return 32767;
  }
  return static_cast<std::int16_t>(value);
}

float operand_float(const char* operand) {
  const char* p = operand;
  const bool negative = *p == '-';
  if (*p == '-' || *p == '+') ++p;
  // Only a plain decimal number counts: no infinities, NaNs or hexadecimal forms.
  if (!is_digit(*p) && !(*p == '.' && is_digit(p[1]))) return 0.0f;
  double value = 0.0;
  const char* end = p + std::strlen(p);
  const auto result = std::from_chars(p, end, value, std::chars_format::general);
  if (result.ec == std::errc::result_out_of_range) {
    const char* e = std::strpbrk(p, "eE");
    value = (e != nullptr && e[1] == '-') ? 0.0 : FLT_MAX;
  } else if (result.ec != std::errc()) {
    value = 0.0;
  }
  if (value > FLT_MAX) value = FLT_MAX;
  const float f = static_cast<float>(value);
  return negative ? -f : f;
}

char missing_code(char c) {
  const char up = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
  return (up == 'S' || up == 'Z' || up == 'N' || up == 'X' || up == '9') ? up : '\0';
}

}  // namespace tovr
