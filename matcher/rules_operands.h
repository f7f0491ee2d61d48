// Values of rules-file operands.
#pragma once

#include <cstdint>

namespace tovr {

// An operand made of digits and points only.
bool is_numeric_operand(const char* operand);

// The whole number at the start of an operand (its leading digits), at most 32767.
std::int16_t operand_int(const char* operand);

// The decimal number at the start of an operand, with an optional sign and exponent;
// 0 when the operand does not begin with one. Out-of-range values become 0 or the largest
// float.
float operand_float(const char* operand);

// The upper-cased missing-value code when c is one of S, Z, N, X, 9 in any case; else 0.
char missing_code(char c);

}  // namespace tovr
